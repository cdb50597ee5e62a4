#!/bin/bash
# Launch to first frame: starts the demo RUNS times (default 5) under a private Xvfb with
# Mesa's software renderer, after one run that warms the shader cache, and reads from its
# trace when each start-up step ended and when the first frame was drawn, counted from a
# timestamp taken just before the demo's exec. Prints one line per run and the medians.
# Steps a build does not trace are left out. Run from the directory that holds Data/.
#
#   bench/first_frame.sh BUILD_DIR/zuzor [RUNS]
set -u
ZUZOR_BIN=$(realpath "${1:?usage: bench/first_frame.sh ZUZOR_BIN [RUNS]}")
RUNS=${2:-5}
WORK=$(mktemp -d /tmp/zuzor-first-frame.XXXXXX)
XVFB_PID=
cleanup() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
[ -d Data ] || { echo "first_frame: run from the directory that holds Data/" >&2; exit 2; }

mkfifo "$WORK/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$WORK/display" >/dev/null 2>&1 &
XVFB_PID=$!
read -r -t 10 n <"$WORK/display" || { echo "first_frame: no Xvfb" >&2; exit 1; }
export DISPLAY=":$n" LIBGL_ALWAYS_SOFTWARE=1

# One run: the launch line, then the demo's own trace, until its second frame.
run_once() {
    local trace=$1 i
    python3 -c 'import os, sys, time
with open(sys.argv[1], "a") as f:
    f.write("%.3f launch\n" % (time.clock_gettime(time.CLOCK_MONOTONIC) * 1000))
os.environ["ZUZOR_TRACE"] = sys.argv[1]
os.execv(sys.argv[2], sys.argv[2:])' "$trace" "$ZUZOR_BIN" >"$WORK/stdout" 2>/dev/null &
    local pid=$!
    for i in $(seq 1 100); do
        grep -q ' frame 1$' "$trace" 2>/dev/null && break
        sleep 0.05
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}

run_once "$WORK/warm"
steps="process|window|scene objects|module|logo|message|frame 0|warm-up|sound output|music|frame 1"
for r in $(seq 1 "$RUNS"); do
    run_once "$WORK/trace-$r"
    awk -v steps="$steps" '
        $2 == "launch" { t0 = $1; next }
        { name = $0; sub(/^[0-9.]+ (start )?/, "", name); if (!(name in ms)) ms[name] = $1 - t0 }
        END {
            n = split(steps, s, "|")
            for (i = 1; i <= n; i++) if (s[i] in ms) printf "%s=%.1f|", s[i], ms[s[i]]
            printf "\n"
        }' "$WORK/trace-$r"
done >"$WORK/runs"
tr '|' '\t' <"$WORK/runs"
echo "median, ms from launch:"
IFS='|' read -r -a names <<<"$steps"
for name in "${names[@]}"; do
    values=$(tr '|' '\n' <"$WORK/runs" | grep "^$name=" | cut -d= -f2 | sort -n)
    [ -n "$values" ] || continue
    echo "$values" | awk -v name="$name" '{ v[NR] = $1 }
        END { printf "  %-14s %7.1f\n", name, (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
done
