#!/usr/bin/env bash
# Soak run: the demo under its own Xvfb for a long time with a module that loops and keeps
# switching every effect on and off. Samples resident memory, open files and threads
# every few seconds, and reads the tick pace from the trace; fails when memory or open
# files grow after the first minute, or when the ticks lose their pace.
#
#   tools/soak.sh [BUILD_DIR] [SECONDS]     (defaults: build, 600)
#
# Needs the demo and tests/make_test_module built in BUILD_DIR. Not part of ./test.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
SECONDS_TO_RUN=${2:-600}
SAMPLE_EVERY=5
WORK=$(mktemp -d /tmp/zuzor-soak.XXXXXX)
XVFB_PID=
DEMO_PID=
cleanup() {
    [ -n "$DEMO_PID" ] && kill -9 "$DEMO_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null || true
    [ -n "${ZUZOR_SOAK_KEEP:-}" ] && echo "kept $WORK" || rm -rf "$WORK"
}
trap cleanup EXIT

# A module of 4 patterns x 64 rows (about 31 s at speed 6, 125 BPM) that switches each
# effect on and off, fires flashes, kicks every animation and shows the logo, then starts
# again: it has no Z64, so the show never ends by itself.
mkdir -p "$WORK/run/Data"
cp "$ROOT/Data/drell.tga" "$ROOT/Data/korvane.tga" "$WORK/run/Data/"
events=()
for order in 0 1 2 3; do
    base=$((order * 64))
    events+=(--event $((base + 0)):Z0F --event $((base + 0)):Z0$((2 + order))
        --event $((base + 4)):Z14 --event $((base + 12)):Z15 --event $((base + 20)):Z16
        --event $((base + 28)):Z17 --event $((base + 30)):Z18 --event $((base + 32)):Z19
        --event $((base + 34)):Z1A --event $((base + 36)):Z1C --event $((base + 38)):Z1D
        --event $((base + 40)):Z1E --event $((base + 42)):Z1F --event $((base + 44)):Z20
        --event $((base + 46)):Z2E --event $((base + 60)):Z0C --event $((base + 60)):Z0D
        --event $((base + 60)):Z0E --event $((base + 62)):Z05)
done
"$BUILD/tests/make_test_module" "$WORK/run/Data/ZUZOR.XM" --rows 64 --orders 4 "${events[@]}" \
    >/dev/null

# Xvfb picks a free display itself, so the soak never lands on another run's server.
mkfifo "$WORK/xvfb.display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$WORK/xvfb.display" \
    >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
read -r -t 10 n <"$WORK/xvfb.display" || true
export DISPLAY=":${n:-none}"
for i in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
xdpyinfo >/dev/null 2>&1 || { echo "soak: could not start Xvfb" >&2; exit 1; }

export ZUZOR_TRACE="$WORK/trace" SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LIBGL_ALWAYS_SOFTWARE=1
(cd "$WORK/run" && exec "$BUILD/zuzor" >"$WORK/stdout" 2>"$WORK/stderr") &
DEMO_PID=$!

echo "# seconds rss_kb fds threads ticks" | tee "$WORK/samples"
start=$(date +%s)
while :; do
    now=$(($(date +%s) - start))
    if ! kill -0 "$DEMO_PID" 2>/dev/null; then
        status=0
        wait "$DEMO_PID" || status=$?
        DEMO_PID=
        echo "soak: the demo ended by itself after $now s, exit status $status" >&2
        sed 's/^/demo stderr: /' "$WORK/stderr" >&2
        tail -n 5 "$WORK/trace" | sed 's/^/trace: /' >&2
        exit 1
    fi
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$DEMO_PID/status")
    threads=$(awk '/^Threads/ { print $2 }' "/proc/$DEMO_PID/status")
    fds=$(ls "/proc/$DEMO_PID/fd" | wc -l)
    ticks=$(grep -c ' tick ' "$WORK/trace" 2>/dev/null || true)
    echo "$now $rss $fds $threads $ticks" | tee -a "$WORK/samples"
    [ "$now" -ge "$SECONDS_TO_RUN" ] && break
    sleep "$SAMPLE_EVERY"
done

w=$(xdotool search --name '^zuzor$' | head -n 1)
xdotool windowfocus --sync "$w" key Escape
for i in $(seq 1 40); do kill -0 "$DEMO_PID" 2>/dev/null || break; sleep 0.05; done
status=0
wait "$DEMO_PID" || status=$?
DEMO_PID=

# Memory and files: the largest figures after the first minute (a third of a short run) against the figures at it.
verdict=0
warm=$((SECONDS_TO_RUN / 3 < 60 ? SECONDS_TO_RUN / 3 : 60))
awk -v warm="$warm" '
    !/^#/ && $1 >= warm && !base { base = 1; rss0 = $2; fd0 = $3; th0 = $4 }
    !/^#/ && base { if ($2 > rssmax) rssmax = $2; if ($3 > fdmax) fdmax = $3; if ($4 > thmax) thmax = $4 }
    END {
        printf "rss at %d s %d kB, largest after %d kB (%+d kB)\n", warm, rss0, rssmax, rssmax - rss0
        printf "open files at %d s %d, largest after %d\n", warm, fd0, fdmax
        printf "threads at %d s %d, largest after %d\n", warm, th0, thmax
        # Allow 2 MB for allocator noise (Mesa and the C library keep small caches).
        exit !(rssmax - rss0 <= 2048 && fdmax <= fd0 && thmax <= th0)
    }' "$WORK/samples" || { echo "soak: memory, files or threads grew" >&2; verdict=1; }

# Tick pace: the intervals between consecutive ticks (a tick is due after more than 50 ms).
awk '/ tick / { if (last) { d = $1 - last; n++; sum += d; if (d > max) max = d;
                            if (d < 50) short++; if (d > 100) late++ } last = $1 }
     END { printf "ticks %d, mean interval %.2f ms, longest %.2f ms, under 50 ms %d, over 100 ms %d (%.3f%%)\n",
                  n + 1, sum / n, max, short, late, 100 * late / n
           exit !(short == 0 && sum / n < 55 && late / n < 0.01) }' "$WORK/trace" ||
    { echo "soak: the tick pace was not held" >&2; verdict=1; }
grep -q 'queue full' "$WORK/trace" && { echo "soak: sync events were dropped" >&2; verdict=1; }
echo "exit status after Escape: $status"
[ "$status" = 0 ] || verdict=1
[ -s "$WORK/stderr" ] && sed 's/^/demo stderr: /' "$WORK/stderr"
[ "$verdict" = 0 ] && echo "soak: ok" || echo "soak: FAILED"
exit "$verdict"
