#!/usr/bin/env bash
# A/V offset bench: runs the demo under its own Xvfb on the click module, through a real sound
# server with a null sink, records when each click leaves the sink, and prints how long
# before (-) or after (+) its click each Z14 was applied. Exits 1 when the script ran more
# than THRESHOLD ms early or late (p95), or lost a click; 2 when the bench could not run.
#
#   tools/av_offset.sh [options]
#     --build DIR        the build with the demo and the test tools (default: build)
#     --server S         pulseaudio (default) or pipewire (with WirePlumber and pipewire-pulse)
#     --driver D         SDL_AUDIODRIVER for the demo: pulseaudio (default), alsa (through
#                        ALSA's pulse plugin) or pipewire
#     --threshold MS     the bound for the exit status (default 5)
#     --kill-at S        kill the sound server S seconds after the demo started ...
#     --restart-at S     ... and start it again S seconds after the demo started
#     --limit S          how long the demo may run before it is stopped (default 60)
#     --busy N           N busy processes (sha256sum /dev/zero) beside the demo for the run
#     --clock C          how record_onsets times a click: auto (default), server or arrival
#                        (record_onsets --help); PulseAudio's null sink runs some 0.2 ms a
#                        second fast against the monotonic clock, which only arrival sees
#
# Needs the packages of ZUZOR_TEST_PACKAGES and a build with ZUZOR_TESTS=ON. Not part of
# ./test: a timing target, run by hand or by a benchmark job.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$ROOT/build SERVER=pulseaudio DRIVER=pulseaudio THRESHOLD=5 KILL_AT= RESTART_AT= LIMIT=60
CLOCK=auto BUSY=0
while [ $# -gt 0 ]; do
    case $1 in
    --build) BUILD=$(cd "$2" && pwd) || exit 2 ;;
    --server) SERVER=$2 ;;
    --driver) DRIVER=$2 ;;
    --threshold) THRESHOLD=$2 ;;
    --kill-at) KILL_AT=$2 ;;
    --restart-at) RESTART_AT=$2 ;;
    --limit) LIMIT=$2 ;;
    --clock) CLOCK=$2 ;;
    --busy) BUSY=$2 ;;
    *) sed -n '2,/^$/s/^# \{0,1\}//p' "$0" >&2; exit 2 ;;
    esac
    shift 2 || { echo "av_offset: $1 needs a value" >&2; exit 2; }
done
case $SERVER in pulseaudio | pipewire) ;; *) echo "av_offset: unknown server $SERVER" >&2; exit 2 ;; esac
case $DRIVER in pulseaudio | alsa | pipewire) ;; *) echo "av_offset: unknown driver $DRIVER" >&2; exit 2 ;; esac
awk -v t="$THRESHOLD" 'BEGIN { exit !(t + 0 == t && t > 0) }' ||
    { echo "av_offset: bad threshold $THRESHOLD" >&2; exit 2; }

export LIBGL_ALWAYS_SOFTWARE=1
source "$ROOT/tests/e2e/lib.bash" "$BUILD/zuzor" "$BUILD"
source "$ROOT/tests/e2e/sound_servers.bash"
source "$ROOT/tests/e2e/av_offset.bash"
bench_fail() { echo "av_offset: $*" >&2; exit 2; }
for tool in zuzor tests/make_click_module tests/record_onsets; do
    [ -x "$BUILD/$tool" ] || bench_fail "$BUILD/$tool is not built (ZUZOR_TESTS=ON)"
done

mkdir -p "$WORK/run/Data"
"$BUILD/tests/make_click_module" "$WORK/run/Data/ZUZOR.XM" || bench_fail "no click module"
start_x
start_$SERVER || bench_fail "could not start $SERVER"
[ "$DRIVER" = alsa ] && { use_alsa_pulse_plugin || exit 2; }

# Right after start-up WirePlumber may not link a new stream yet: the recorder then fails at
# once and is started again.
for try in 1 2 3 4 5; do
    "$BUILD/tests/record_onsets" --clock "$CLOCK" >"$WORK/onsets" 2>"$WORK/record.log" &
    RECORDER_PID=$!
    sleep 0.5 # the recorder's stream is running before the first click
    kill -0 "$RECORDER_PID" 2>/dev/null && break
    wait "$RECORDER_PID"
done
kill -0 "$RECORDER_PID" 2>/dev/null || bench_fail "the recorder failed: $(cat "$WORK/record.log")"
export SDL_AUDIODRIVER=$DRIVER ZUZOR_TRACE="$WORK/trace"
BUSY_PIDS=()
for ((i = 0; i < BUSY; i++)); do
    sha256sum /dev/zero &
    BUSY_PIDS+=($!)
done
previous_exit_trap=$(trap -p EXIT | sed -e "s/^trap -- '//" -e "s/' EXIT\$//")
trap "kill \${BUSY_PIDS[*]} 2>/dev/null; $previous_exit_trap" EXIT
started=$(date +%s.%N)
start_demo
load=$(cut -d' ' -f1-3 /proc/loadavg)
latencies=$WORK/latencies
: >"$latencies"
killed= restarted=
while demo_running; do
    elapsed=$(awk -v s="$started" -v n="$(date +%s.%N)" 'BEGIN { print n - s }')
    demo_stream_latency >>"$latencies"
    [ -s "$WORK/sink-inputs" ] || LC_ALL=C pactl list sink-inputs >"$WORK/sink-inputs" 2>/dev/null
    if [ -n "$KILL_AT" ] && [ -z "$killed" ] && awk -v e="$elapsed" -v k="$KILL_AT" 'BEGIN { exit !(e >= k) }'; then
        kill_sound_server && killed=$(tail -n 1 "$WORK/trace" | cut -d' ' -f1)
        echo "killed $SOUND_SERVER at trace time $killed"
    fi
    if [ -n "$RESTART_AT" ] && [ -n "$killed" ] && [ -z "$restarted" ] &&
        awk -v e="$elapsed" -v k="$RESTART_AT" 'BEGIN { exit !(e >= k) }'; then
        restart_sound_server && restarted=$(tail -n 1 "$WORK/trace" | cut -d' ' -f1)
        echo "restarted $SOUND_SERVER at trace time $restarted"
        # The recorder lost its server with it: record afresh.
        kill "$RECORDER_PID" 2>/dev/null
        wait "$RECORDER_PID"
        "$BUILD/tests/record_onsets" --clock "$CLOCK" >>"$WORK/onsets" 2>>"$WORK/record.log" &
        RECORDER_PID=$!
    fi
    awk -v e="$elapsed" -v l="$LIMIT" 'BEGIN { exit !(e >= l) }' && { echo "stopped after $LIMIT s"; kill "$DEMO_PID"; }
    sleep 1
done
wait_demo_exit 10
[ ${#BUSY_PIDS[@]} -gt 0 ] && kill "${BUSY_PIDS[@]}" 2>/dev/null
sleep 0.3 # the last click leaves the sink after its event is applied
kill "$RECORDER_PID" 2>/dev/null
wait "$RECORDER_PID"

applied=$(grep -c ' sync Z14 ' "$WORK/trace" 2>/dev/null)
onsets=$(grep -c ' onset ' "$WORK/onsets")
offsets=$(pair_clicks "$WORK/trace" "$WORK/onsets")
paired=$(grep -c . <<<"$offsets")
echo "output: SDL_AUDIODRIVER=$DRIVER on $(pactl info 2>/dev/null | sed -n 's/^Server Name: //p' | head -n 1)" \
    "(the demo's stream: $(sed -n 's/^\t*application.name = //p' "$WORK/sink-inputs" 2>/dev/null | head -n 1))"
echo "server-reported latency of the demo's stream, ms (buffer + sink, median of $(grep -c . "$latencies") samples):" \
    "$(awk '{ print $1 + $2, $1, $2 }' "$latencies" | sort -g | awk '{ v[NR] = $0 } END { if (NR) { split(v[int((NR + 1) / 2)], m); printf "%.1f = %.1f + %.1f", m[1], m[2], m[3] } else print "none" }')"
# PipeWire's pulse layer reports 0 for every latency; the stream's requested latency is all
# it tells through pactl.
node_latency=$(sed -n 's/^\t*node.latency = //p' "$WORK/sink-inputs" 2>/dev/null | head -n 1)
[ -n "$node_latency" ] && echo "requested node.latency of the demo's stream: $node_latency"
echo "demo: exit status ${DEMO_STATUS:-running}, Z64 $(grep -q ' sync Z64 ' "$WORK/trace" && echo applied || echo "not applied")," \
    "stderr: $(tr '\n' ' ' <"$WORK/stderr")"
echo "events: $applied Z14 applied, $onsets onsets, $paired paired; recorder: $(tr '\n' ' ' <"$WORK/record.log")"
if [ -n "$killed" ]; then
    echo "after the kill: $(awk -v k="$killed" '$1 > k && / sync Z14 /' "$WORK/trace" | grep -c .) Z14 applied," \
        "$(awk -v k="${restarted:-1e30}" '$1 > k' "$WORK/onsets" | grep -c .) onsets after the restart," \
        "last tick at $(awk '/ tick / { t = $1 } END { print t }' "$WORK/trace"), last Z14 at $(awk '/ sync Z14 / { t = $1 } END { print t }' "$WORK/trace")"
fi
read -r p5 p50 p95 min max <<<"$(percentiles <<<"$offsets")"
echo "applied - click, ms: p5 ${p5:-?} p50 ${p50:-?} p95 ${p95:-?} (min ${min:-?}, max ${max:-?})"
read -r gaps gapMs longestGap <<<"$(pair_clicks "$WORK/trace" "$WORK/onsets" pairs | sink_gaps)"
echo "sound lost at the sink: $gaps click intervals with a gap, $gapMs ms in all (longest $longestGap ms);" \
    "stops reported: $(grep -c 'sound output stopped' "$WORK/stderr")"
read -r h5 h50 h95 hmin hmax <<<"$(pair_clicks "$WORK/trace" "$WORK/onsets" heard | percentiles)"
echo "heard - click (the clock alone), ms: p5 ${h5:-?} p50 ${h50:-?} p95 ${h95:-?} (min ${hmin:-?}, max ${hmax:-?})"
echo "busy processes beside the demo: $BUSY; load average at the start: $load, at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
[ -n "${ZUZOR_AV_OFFSETS:-}" ] && printf '%s\n' "$offsets" >"$ZUZOR_AV_OFFSETS"
[ -n "$p50" ] && [ "$paired" -eq "$applied" ] &&
    awk -v a="$min" -v b="$p95" -v t="$THRESHOLD" 'BEGIN { exit !(a >= -t && b <= t) }'
