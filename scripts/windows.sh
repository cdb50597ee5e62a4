#!/usr/bin/env bash
# Builds zuzor-windows.zip (zuzor.exe and Data/) on Debian: the Windows libraries from
# Debian's source packages (scripts/windows-deps.sh, cached), then the demo with the
# mingw-w64 toolchain into build-windows/. Prints the zip's path as the last line of stdout.
# With --tests it also builds the Windows unit tests and readies the Wine prefix they run
# in; `ctest` in build-windows then runs them under Wine (./test does).
# Usage: scripts/windows.sh [--tests]   (as root or with sudo, on Debian 12)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
source scripts/packages.sh

tests=OFF
case ${1:-} in
--tests) tests=ON ;;
"") ;;
*) echo "usage: scripts/windows.sh [--tests]" >&2; exit 2 ;;
esac

prefix=$(scripts/windows-deps.sh | tail -n 1)
if [ "$tests" = ON ]; then
    # GoogleTest's sources for the Windows test program; Xvfb, the X tools and PulseAudio
    # for the end-to-end tests.
    install_missing_packages googletest xvfb xauth x11-utils x11-apps xdotool ffmpeg \
        pulseaudio pulseaudio-utils
fi

build=$repo/build-windows
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
    -DZUZOR_WINDOWS_DEPS="$prefix" -DCMAKE_BUILD_TYPE=Release -DZUZOR_TESTS=$tests \
    -DZUZOR_HOST_BUILD="$repo/build" >&2
# The package target builds everything first.
cmake --build "$build" -j"$(nproc)" --target package >&2

if [ "$tests" = ON ]; then
    # The Wine prefix the toolchain names, made once: Wine would otherwise make it in the
    # first test that starts, while other tests start too. No display: nothing to show.
    wineprefix=$(sed -n 's/^ZUZOR_WINEPREFIX:PATH=//p' "$build/CMakeCache.txt")
    wine=$(sed -n 's/^ZUZOR_WINE64:FILEPATH=//p' "$build/CMakeCache.txt")
    if [ ! -f "$wineprefix/system.reg" ]; then
        echo "windows: making the Wine prefix $wineprefix" >&2
        env -u DISPLAY WINEPREFIX="$wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= \
            "$wine" wineboot --init >/dev/null 2>&1 || true
        WINEPREFIX="$wineprefix" "${wine%/*}/wineserver" -w
        [ -f "$wineprefix/system.reg" ] || { echo "windows: wineboot made no prefix" >&2; exit 1; }
    fi
fi
echo "$build/zuzor-windows.zip"
