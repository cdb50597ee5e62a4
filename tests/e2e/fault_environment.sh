# A poor environment: no sound device, no display, no game mode, Escape while the demo is
# still starting, a termination signal. Each ends in the demo's usual course or in one
# clear line on stderr and a non-zero status, never in a crash or a hang.
source "$(dirname "$0")/lib.bash" "$@"
source "$(dirname "$0")/faults.bash"

# No display at all: one line from the toolkit, a non-zero status, nothing on stdout.
fresh_case "no display"
write_module
note_files
(cd "$WORK/run" && env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 "$ZUZOR_BIN" \
    >"$WORK/stdout" 2>"$WORK/stderr")
status=$?
[ "$status" != 0 ] || case_fail "exit status 0"
[ "$status" -lt 124 ] || case_fail "exit status $status: a hang or a crash"
[ "$(wc -l <"$WORK/stderr")" = 1 ] || case_fail "not one line on stderr: $(cat "$WORK/stderr")"
grep -qi 'display' "$WORK/stderr" || case_fail "the line does not name the display"
[ -s "$WORK/stdout" ] && case_fail "standard output: $(cat "$WORK/stdout")"
check_nothing_written

start_x

# Sound output refused or missing: one line says the music runs silently, and the script
# still runs on the silent clock.
for audio in "ZUZOR_AUDIO=off" "SDL_AUDIODRIVER=no-such-driver"; do
    fresh_case "$audio"
    write_module
    note_files
    export ZUZOR_TRACE="$WORK/trace"
    export "$audio"
    start_demo
    wait_trace "sync Z14" 10 || case_fail "the script did not run"
    rm -f "$WORK/trace"
    unset ZUZOR_TRACE ZUZOR_AUDIO SDL_AUDIODRIVER
    runs_until_escape 0.5
    expect_stdout 'inizializzazione fatta\n'
    [ "$(wc -l <"$WORK/stderr")" = 1 ] && grep -q '^zuzor: .*the music runs silently$' "$WORK/stderr" ||
        case_fail "stderr: $(cat "$WORK/stderr")"
done

export SDL_AUDIODRIVER=dummy

# Escape as soon as the window is there, while the largest module is still being read.
fresh_case "Escape during start-up"
mkdir -p "$WORK/run/Data"
"$BUILD_DIR/tests/make_fault_module" largest "$WORK/run/Data/ZUZOR.XM" ||
    fail "could not generate a module"
note_files
start_demo
w=$(demo_window) || case_fail "the demo opened no window"
xdotool key --window "$w" Escape
wait_demo_exit "$EXIT_LIMIT_S" || case_fail "the demo was still running $EXIT_LIMIT_S s after Escape"
[ "$DEMO_STATUS" = 0 ] || case_fail "exit status $DEMO_STATUS after Escape"
stderr_at_most_one_line
check_nothing_written

# A termination signal ends the demo at once, also while sound output is open.
fresh_case "SIGTERM"
write_module
note_files
start_demo
demo_window >/dev/null || case_fail "the demo opened no window"
sleep 0.5
kill -TERM "$DEMO_PID"
wait_demo_exit 2 || case_fail "the demo was still running 2 s after SIGTERM"
[ "$DEMO_STATUS" = 143 ] || case_fail "exit status $DEMO_STATUS after SIGTERM"
check_nothing_written

# A screen of another size: game mode cannot switch it, and the demo runs in a window.
kill "$XVFB_PID"
wait "$XVFB_PID" 2>/dev/null
start_x 1024x768x24
fresh_case "game mode refused"
write_module
note_files
start_demo
runs_until_escape 1
expect_stdout 'inizializzazione fatta\n'
stderr_at_most_one_line
echo "ok"
