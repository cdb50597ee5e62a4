#!/usr/bin/env bash
# Builds the Windows smoke program with the cross toolchain and runs it under Wine on an X
# server of its own: CTest runs it through the toolchain's emulator, then one more run is
# photographed and ended with Escape, and the start-up line is written in both stdout modes. Results go to
# OUT_DIR (default build-windows/smoke-out): smoke.png, run.txt, newline-*.bin.
# Usage: tests/windows/run_smoke.sh [OUT_DIR]
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
cd "$repo"
source scripts/packages.sh
out=$(realpath -m "${1:-build-windows/smoke-out}")
build=$repo/build-windows/smoke
mkdir -p "$out"

prefix=$(scripts/windows-deps.sh | tail -n 1)
install_missing_packages xvfb xauth x11-apps imagemagick xdotool

cmake -S tests/windows -B "$build" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
    -DZUZOR_WINDOWS_DEPS="$prefix" >&2
cmake --build "$build" -j"$(nproc)" >&2

export WINEPREFIX
WINEPREFIX=$(sed -n 's/^ZUZOR_WINEPREFIX:PATH=//p' "$build/CMakeCache.txt")
wine=$(sed -n 's/^ZUZOR_WINE64:FILEPATH=//p' "$build/CMakeCache.txt")
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=

# An X server of our own on the first free display number.
# Seconds since a $EPOCHREALTIME reading.
seconds_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }'; }

xvfb_pid=
cleanup() {
    "${wine%/*}/wineserver" -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
display_file=$(mktemp)
Xvfb -displayfd 4 -screen 0 1024x768x24 +extension GLX -nolisten tcp 4>"$display_file" \
    2>/dev/null &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$display_file")
rm -f "$display_file"

{
    echo "exe: $(stat -c %s "$build/smoke.exe") bytes"
    if [ ! -d "$WINEPREFIX" ]; then
        started=$EPOCHREALTIME
        "$wine" wineboot --init >/dev/null 2>&1
        echo "wine prefix created in $(seconds_since "$started") s"
    fi
    started=$EPOCHREALTIME
    (cd "$build" && ctest --output-on-failure)
    echo "ctest under wine: $(seconds_since "$started") s"

    # A long run that Escape ends, photographed first.
    started=$EPOCHREALTIME
    "$wine" "$build/smoke.exe" --seconds 60 >"$out/smoke.txt" 2>/dev/null &
    smoke_pid=$!
    sleep 3
    xwd -root -silent | convert xwd:- "$out/smoke.png"
    xdotool key Escape
    wait "$smoke_pid"
    echo "second run (Escape after 3 s): $(seconds_since "$started") s"
    cat "$out/smoke.txt"

    for mode in text binary; do
        "$wine" "$build/smoke.exe" --newline-probe "$mode" >"$out/newline-$mode.bin"
        echo "$mode mode: $(od -An -c "$out/newline-$mode.bin" | tr -s ' ' | tr -d '\n')"
    done
} | tee "$out/run.txt"
echo "screenshot: $out/smoke.png"
