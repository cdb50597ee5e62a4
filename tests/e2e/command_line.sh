# The command line: every argument the demo does not know goes to the window toolkit. A
# window that starts iconified (never drawn) still runs the show to the module's end;
# -display picks the X server without DISPLAY; an argument neither takes is named in one
# stderr line and the show starts as without it.
source "$(dirname "$0")/lib.bash" "$@"
source "$(dirname "$0")/faults.bash"
source "$(dirname "$0")/modules.bash"
command -v openbox >/dev/null || fail "openbox is not installed"
command -v xprop >/dev/null || fail "xprop is not installed"

start_x
export SDL_AUDIODRIVER=dummy

# -display names the X server; DISPLAY is unset.
fresh_case "-display"
mkdir -p "$WORK/run/Data"
write_plain_module "$WORK/run/Data/ZUZOR.XM" || case_fail "could not generate a module"
(cd "$WORK/run" && exec env -u DISPLAY "$ZUZOR_BIN" --window -display "$DISPLAY" \
    >"$WORK/stdout" 2>"$WORK/stderr") &
DEMO_PID=$!
demo_window >/dev/null || case_fail "no window on $DISPLAY"
sleep 0.5
send_keys Escape
wait_demo_exit "$EXIT_LIMIT_S" || case_fail "still running after Escape"
[ "$DEMO_STATUS" = 0 ] || case_fail "exit status $DEMO_STATUS after Escape"
expect_stdout 'inizializzazione fatta\n'

# An option nobody takes: one line, and the show as without it.
fresh_case "--no-such-option"
mkdir -p "$WORK/run/Data"
write_plain_module "$WORK/run/Data/ZUZOR.XM" || case_fail "could not generate a module"
start_demo --window --no-such-option
demo_window >/dev/null || case_fail "the demo opened no window"
sleep 1
demo_running || case_fail "the demo stopped by itself"
send_keys Escape
wait_demo_exit "$EXIT_LIMIT_S" || case_fail "still running after Escape"
[ "$DEMO_STATUS" = 0 ] || case_fail "exit status $DEMO_STATUS after Escape"
expect_stdout 'inizializzazione fatta\n'
[ "$(cat "$WORK/stderr")" = "zuzor: unknown option --no-such-option ignored" ] ||
    case_fail "stderr: $(cat "$WORK/stderr")"

# Iconified under a window manager (last: freeglut refuses a display whose window manager
# left): the toolkit never calls the display function, and the start-up goes on without a
# first frame. Z64 at row 8 ends the show a second in.
fresh_case "--window -iconic"
mkdir -p "$WORK/run/Data"
"$BUILD_DIR/tests/make_test_module" "$WORK/run/Data/ZUZOR.XM" --rows 16 --event 8:Z64 \
    >/dev/null || case_fail "could not generate a module"
openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
OPENBOX_PID=$!
for i in $(seq 1 50); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
ZUZOR_TRACE="$WORK/trace" start_demo --window -iconic
w=$(demo_window) || case_fail "the demo opened no window"
iconified() { xprop -id "$w" WM_STATE 2>/dev/null | grep -q "window state: Iconic"; }
for i in $(seq 1 50); do iconified && break; demo_running || break; sleep 0.1; done
if ! iconified && demo_running; then
    case_fail "the window is not iconified: $(xprop -id "$w" WM_STATE 2>&1)"
fi
wait_trace "start music" 20 || case_fail "the music never started"
wait_demo_exit 30 || case_fail "the show did not end on Z64"
[ "$DEMO_STATUS" = 0 ] || case_fail "exit status $DEMO_STATUS after Z64"
grep -q "^.*tick 1\b" "$WORK/trace" || case_fail "no tick ran"
grep -q "sync Z64" "$WORK/trace" || case_fail "the end event was not applied"
expect_stdout 'inizializzazione fatta\n'
[ ! -s "$WORK/stderr" ] || case_fail "stderr: $(cat "$WORK/stderr")"
kill "$OPENBOX_PID"
wait "$OPENBOX_PID" 2>/dev/null
echo "ok"
