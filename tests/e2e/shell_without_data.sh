# The demo without Data/: the failure line, silent running, keys ignored, Escape ends it.
source "$(dirname "$0")/lib.bash" "$@"
start_x
start_demo
demo_window >/dev/null || fail "the demo opened no window"
sleep 1.5
demo_running || fail "the demo stopped by itself"
printf '\nImpossibile caricare il file\n' >"$WORK/expected"
cmp -s "$WORK/stdout" "$WORK/expected" || fail "standard output was: $(od -c "$WORK/stdout")"

send_keys a z q 1 0 9 space Return
sleep 0.5
demo_running || fail "a letter or digit ended the demo"
cmp -s "$WORK/stdout" "$WORK/expected" || fail "keys changed standard output"

send_keys Escape
wait_demo_exit "$EXIT_LIMIT_S" || fail "the demo was still running $EXIT_LIMIT_S s after Escape"
[ "$DEMO_STATUS" = 0 ] || fail "exit status $DEMO_STATUS after Escape"
check_stderr_quiet
echo "ok"
