# The demo on PipeWire (with WirePlumber and its pulse layer) and a null sink, with no driver
# named: it must find the pulse server to be PipeWire and play through PipeWire's own
# protocol (its thread real-time: the tests run as root), apply the events with their
# sound, and keep its course through the daemon's death and restart (SDL's own PipeWire
# driver stopped the script for good there). A demo refused real-time scheduling plays
# through the pulse layer, whose buffer carries it over a busy machine's late wake-ups.
source "$(dirname "$0")/lib.bash" "$@"
source "$(dirname "$0")/sound_servers.bash"
source "$(dirname "$0")/av_offset.bash"
source "$(dirname "$0")/sound_course.bash"
unset SDL_AUDIODRIVER ZUZOR_AUDIO ZUZOR_AUDIO_LATENCY_MS
start_x
start_pipewire || fail "PipeWire did not start"
# Not timed here: the recorder's 5 ms fragment caps the graph's quantum at 256 frames, and
# on a busy machine the graph then misses cycles, which parts a stream's timing from its
# sound by a cycle (5.3 ms) now and then; tools/av_offset.sh --server pipewire times it.
# A longer module: PipeWire with WirePlumber and its pulse layer can take many seconds to
# start again, and the demo must still be playing when they are back.
check_course_through_a_kill 11 13 "" no 35
grep -q 'sound output back (pipewire)' "$WORK/stderr" || fail "not back on PipeWire's own protocol"

# Without CAP_SYS_NICE, and with no RTKit on this machine, the priority is refused.
command -v setpriv >/dev/null || fail "setpriv is not installed"
(cd "$WORK/run" && exec setpriv --bounding-set -sys_nice "$ZUZOR_BIN" >"$WORK/stdout" 2>"$WORK/stderr") &
DEMO_PID=$!
api=
for i in $(seq 1 50); do
    api=$(LC_ALL=C pactl list sink-inputs 2>/dev/null | grep -c 'client.api = "pipewire-pulse"')
    [ "$api" -gt 0 ] && break
    sleep 0.1
done
streams=$(LC_ALL=C pactl list short sink-inputs 2>/dev/null | grep -c .)
stop_job "$DEMO_PID"
DEMO_PID=
[ "$api" = 1 ] && [ "$streams" = 1 ] || fail "without real-time: $streams streams, $api through the pulse layer"
[ ! -s "$WORK/stderr" ] || fail "stderr without real-time: $(cat "$WORK/stderr")"
echo "ok"
