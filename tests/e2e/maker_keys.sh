# The maker's keys under --watch: Right moves the show 5 s on, Left back, Home to its start,
# Space pauses music and picture together and plays on from the same moment; each says the
# moment reached on stderr. Without --watch the same keys change nothing.
source "$(dirname "$0")/lib.bash" "$@"
mkdir -p "$WORK/run/Data"
"$BUILD_DIR/tests/make_test_module" "$WORK/run/Data/ZUZOR.XM" --rows 64 --orders 8 >/dev/null ||
    fail "could not generate a module"
start_x
export ZUZOR_TRACE="$WORK/trace" ZUZOR_AUDIO=off

# m:ss.t on stderr as seconds
moment_s() { awk -v w="$1" 'index($0, w) { split($NF, t, ":"); s = t[1] * 60 + t[2] } END { print s }' "$WORK/stderr"; }
wait_stderr() {
    local i
    for i in $(seq 1 100); do
        [ "$(grep -c -- "$1" "$WORK/stderr")" -ge "$2" ] && return 0
        sleep 0.1
    done
    fail "no line '$1' on stderr (after $(cat "$WORK/stderr"))"
}
ticks() { grep -c ' tick ' "$WORK/trace"; }

start_demo --window --watch
demo_window >/dev/null || fail "the demo opened no window"
wait_trace " tick " 10 || fail "no ticks"
sleep 1
send_keys Right
wait_stderr "zuzor: at " 1
at=$(moment_s "zuzor: at ")
awk -v a="$at" 'BEGIN { exit !(a >= 5.5 && a < 9) }' || fail "Right after a second moved to $at s"
grep -q "jump to song" "$WORK/trace" || fail "no jump in the trace"

send_keys space
wait_stderr "zuzor: paused at " 1
paused=$(moment_s "paused at ")
before=$(ticks)
sleep 0.6
[ "$(ticks)" = "$before" ] || fail "ticks went on while paused"
send_keys space
wait_stderr "zuzor: playing from " 1
[ "$(moment_s "playing from ")" = "$paused" ] || fail "played on from another moment than the pause"
sleep 0.4
[ "$(ticks)" -gt "$before" ] || fail "no ticks after playing on"

send_keys Left
wait_stderr "zuzor: at " 2
back=$(moment_s "zuzor: at ")
awk -v a="$back" -v p="$paused" 'BEGIN { exit !(a < p - 3) }' || fail "Left moved to $back s from $paused s"
send_keys Home
wait_stderr "zuzor: at 0:00.0" 1
send_keys Escape
wait_demo_exit "$EXIT_LIMIT_S" || fail "Escape did not end the demo"
[ "$DEMO_STATUS" = 0 ] || fail "exit status $DEMO_STATUS"

# Without --watch: the keys do nothing.
rm -f "$WORK/trace"
start_demo --window
demo_window >/dev/null || fail "the demo opened no window"
wait_trace " tick " 10 || fail "no ticks"
send_keys Right space Left Home
sleep 0.5
demo_running || fail "the keys ended the demo"
[ -s "$WORK/stderr" ] && grep -v 'ZUZOR_AUDIO=off' "$WORK/stderr" | grep -q . && fail "a key said something: $(cat "$WORK/stderr")"
grep -q "jump" "$WORK/trace" && fail "a key moved the show without --watch"
send_keys Escape
wait_demo_exit "$EXIT_LIMIT_S" || fail "Escape did not end the demo"
echo "ok"
