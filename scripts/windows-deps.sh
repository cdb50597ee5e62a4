#!/usr/bin/env bash
# Builds the Windows (x86_64) libraries the demo links, from Debian's own source packages
# with Debian's mingw-w64 cross compiler: libopenmpt, SDL2 (audio only) and freeglut, all
# static. They are installed into a prefix in the user's cache, keyed by the source
# versions, the compiler's version and these scripts, so a second run only finds it.
# Prints the prefix as the last line of stdout; everything else goes to stderr.
# Usage: scripts/windows-deps.sh   (as root or with sudo, on Debian 12)
set -euo pipefail

scripts=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$scripts")
export ZUZOR_WINDOWS_SCRIPTS=$scripts/windows
export ZUZOR_WINDOWS_TOOLCHAIN=$repo/cmake/mingw-w64-x86_64.cmake
export ZUZOR_MINGW_HOST=x86_64-w64-mingw32
# The posix thread model, explicitly: see the toolchain file for why.
export ZUZOR_MINGW_CC=x86_64-w64-mingw32-gcc-posix
export ZUZOR_MINGW_CXX=x86_64-w64-mingw32-g++-posix

source "$scripts/packages.sh"
source "$ZUZOR_WINDOWS_SCRIPTS/deb_src.sh"
source "$ZUZOR_WINDOWS_SCRIPTS/build_libopenmpt.sh"
source "$ZUZOR_WINDOWS_SCRIPTS/build_libsdl2.sh"
source "$ZUZOR_WINDOWS_SCRIPTS/build_freeglut.sh"

ZUZOR_WINDOWS_PACKAGES="gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
    binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev cmake make pkg-config dpkg-dev xz-utils
    wine wine64"
ZUZOR_WINDOWS_SOURCES="libopenmpt libsdl2 freeglut"

# Another apt or dpkg run on the machine holds the lock for a while: wait for it rather
# than fail. APT_CONFIG is read in addition to the machine's own configuration.
apt_wait_config=$(mktemp)
trap 'rm -f "$apt_wait_config"' EXIT
echo 'DPkg::Lock::Timeout "900";' >"$apt_wait_config"
export APT_CONFIG=$apt_wait_config

# The highest version of a source package the archive offers: the one apt-get source takes.
source_version() {
    local best= version
    for version in $(apt-cache showsrc --only-source "$1" 2>/dev/null |
        awk '/^Version:/ { print $2 }'); do
        if [ -z "$best" ] || dpkg --compare-versions "$version" gt "$best"; then
            best=$version
        fi
    done
    [ -n "$best" ] || { echo "windows-deps: no source package $1 in the archive" >&2; return 1; }
    echo "$best"
}

# What the built libraries depend on: the source versions, the cross compiler and runtime
# packages, and the scripts that build them (not the ones that only fetch the sources).
cache_key() {
    local name key=
    for name in $ZUZOR_WINDOWS_SOURCES; do
        key+="$name-$(source_version "$name")_"
    done
    key+="gcc-$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)_"
    key+="crt-$(dpkg-query -W -f='${Version}' mingw-w64-x86-64-dev)_"
    key+=$(cat "$scripts/windows-deps.sh" "$ZUZOR_WINDOWS_SCRIPTS"/build_*.sh \
        "$ZUZOR_WINDOWS_TOOLCHAIN" | sha256sum | cut -c1-12)
    # an epoch's colon has no place in a file name
    echo "${key//:/_}"
}

install_missing_packages $ZUZOR_WINDOWS_PACKAGES
ensure_deb_src_entries

cache=${ZUZOR_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zuzor}/windows-deps
mkdir -p "$cache"
# One build at a time per cache: a second run waits, then finds the first one's prefix.
exec 9>"$cache/.lock"
flock 9

key=$(cache_key)
prefix=$cache/$key
# The libraries' pkg-config and CMake files name the prefix, so they are built in place;
# the stamp is written last and marks a finished prefix.
stamp=$prefix/.complete
if [ -f "$stamp" ]; then
    echo "windows-deps: cached: $prefix" >&2
    echo "$prefix"
    exit 0
fi

work=$cache/work/$key
logs=$prefix/build-logs
rm -rf "$work" "$prefix"
mkdir -p "$work" "$logs"
echo "windows-deps: building into $prefix" >&2
for name in $ZUZOR_WINDOWS_SOURCES; do
    # _apt cannot read a root-only cache directory: fetch as root, not in apt's sandbox
    (cd "$work" && apt-get source -q -o APT::Sandbox::User=root "$name=$(source_version "$name")") \
        >>"$logs/sources.log" 2>&1 ||
        { tail -n 20 "$logs/sources.log" >&2; exit 1; }
done
# The dpkg-source directories are named after the upstream version: find them by package.
source_dir() {
    find "$work" -mindepth 1 -maxdepth 1 -type d -name "$1-*" | head -n 1
}
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH=

# Runs one library's build with its output in a log of its own; on failure shows the end.
build_logged() {
    local name=$1 started=$SECONDS
    echo "windows-deps: building $name (log: $logs/$name.log)" >&2
    if ! "build_$name" "$(source_dir "$name")" "$prefix" 2>"$logs/$name.log"; then
        tail -n 40 "$logs/$name.log" >&2
        echo "windows-deps: building $name failed; the whole log: $logs/$name.log" >&2
        return 1
    fi
    echo "windows-deps: $name built in $((SECONDS - started)) s" >&2
}
build_logged libopenmpt
build_logged libsdl2
build_logged freeglut

touch "$stamp"
rm -rf "$work"
echo "windows-deps: done: $prefix" >&2
echo "$prefix"
