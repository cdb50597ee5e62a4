#!/usr/bin/env bash
# Builds the library the browser build links, libopenmpt, from Debian's own source package
# with Debian's emscripten, static. It is installed into a prefix in the user's cache, keyed
# by the source version, the compiler's version and these scripts, so a second run only
# finds it. Prints the prefix as the last line of stdout; everything else goes to stderr.
# Usage: scripts/web-deps.sh   (as root or with sudo, on Debian 12)
set -euo pipefail

scripts=$(cd "$(dirname "$0")" && pwd)
# The deb-src helpers are shared with the Windows libraries.
export ZUZOR_WINDOWS_SCRIPTS=$scripts/windows
export ZUZOR_WEB_SCRIPTS=$scripts/web

source "$scripts/packages.sh"
source "$ZUZOR_WINDOWS_SCRIPTS/deb_src.sh"
source "$ZUZOR_WEB_SCRIPTS/emscripten_env.sh"
source "$ZUZOR_WEB_SCRIPTS/build_libopenmpt.sh"

ZUZOR_WEB_SOURCES="libopenmpt"

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
    [ -n "$best" ] || { echo "web-deps: no source package $1 in the archive" >&2; return 1; }
    echo "$best"
}

# What the built library depends on: the source version, the compiler packages, and the
# scripts that build it.
cache_key() {
    local name key=
    for name in $ZUZOR_WEB_SOURCES; do
        key+="$name-$(source_version "$name")_"
    done
    key+="emscripten-$(dpkg-query -W -f='${Version}' emscripten)_"
    key+="clang-$(dpkg-query -W -f='${Version}' clang-14)_"
    key+=$(cat "$scripts/web-deps.sh" "$ZUZOR_WEB_SCRIPTS"/build_*.sh | sha256sum | cut -c1-12)
    # an epoch's colon and a tilde have no place in a file name
    key=${key//:/_}
    echo "${key//\~/_}"
}

install_missing_packages $ZUZOR_WEB_PACKAGES
ensure_deb_src_entries

cache=${ZUZOR_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zuzor}/web-deps
mkdir -p "$cache"
# One build at a time per cache: a second run waits, then finds the first one's prefix.
exec 9>"$cache/.lock"
flock 9

key=$(cache_key)
prefix=$cache/$key
stamp=$prefix/.complete
if [ -f "$stamp" ]; then
    echo "web-deps: cached: $prefix" >&2
    echo "$prefix"
    exit 0
fi

work=$cache/work/$key
logs=$prefix/build-logs
rm -rf "$work" "$prefix"
mkdir -p "$work" "$logs"
echo "web-deps: building into $prefix" >&2
for name in $ZUZOR_WEB_SOURCES; do
    # _apt cannot read a root-only cache directory: fetch as root, not in apt's sandbox
    (cd "$work" && apt-get source -q -o APT::Sandbox::User=root "$name=$(source_version "$name")") \
        >>"$logs/sources.log" 2>&1 ||
        { tail -n 20 "$logs/sources.log" >&2; exit 1; }
done
source_dir() {
    find "$work" -mindepth 1 -maxdepth 1 -type d -name "$1-*" | head -n 1
}

build_logged() {
    local name=$1 started=$SECONDS
    echo "web-deps: building $name (log: $logs/$name.log)" >&2
    if ! "build_$name" "$(source_dir "$name")" "$prefix" 2>"$logs/$name.log"; then
        tail -n 40 "$logs/$name.log" >&2
        echo "web-deps: building $name failed; the whole log: $logs/$name.log" >&2
        return 1
    fi
    echo "web-deps: $name built in $((SECONDS - started)) s" >&2
}
build_logged libopenmpt

touch "$stamp"
rm -rf "$work"
echo "web-deps: done: $prefix" >&2
echo "$prefix"
