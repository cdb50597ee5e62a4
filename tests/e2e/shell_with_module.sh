# The demo with a valid module: the success line, and Escape still ends it cleanly.
source "$(dirname "$0")/lib.bash" "$@"
source "$(dirname "$0")/modules.bash"
mkdir -p "$WORK/run/Data"
write_plain_module "$WORK/run/Data/ZUZOR.XM" || fail "could not generate a module"
start_x
SDL_AUDIODRIVER=dummy start_demo
demo_window >/dev/null || fail "the demo opened no window"
sleep 1
demo_running || fail "the demo stopped by itself"
printf 'inizializzazione fatta\n' >"$WORK/expected"
cmp -s "$WORK/stdout" "$WORK/expected" || fail "standard output was: $(od -c "$WORK/stdout")"
send_keys Escape
wait_demo_exit "$EXIT_LIMIT_S" || fail "the demo was still running $EXIT_LIMIT_S s after Escape"
[ "$DEMO_STATUS" = 0 ] || fail "exit status $DEMO_STATUS after Escape"
check_stderr_quiet
echo "ok"
