# A Wayland session: weston (headless) with Xwayland, which a mode switch would crash and
# every X client of the session with it. The default start takes the full-screen window
# there: it prints its line, plays the script to the end event and leaves with 0; Escape
# leaves with 0; and afterwards the compositor, Xwayland and another X client of the session
# are still there.
source "$(dirname "$0")/lib.bash" "$@"
source "$(dirname "$0")/modules.bash"
source "$(dirname "$0")/faults.bash"
command -v weston >/dev/null || fail "weston is not installed"
command -v Xwayland >/dev/null || fail "Xwayland is not installed"
SPY_PID=
trap 'kill $SPY_PID 2>/dev/null; cleanup' EXIT

# Weston's Xwayland listens on the X socket directory every X server shares.
[ -d /tmp/.X11-unix ] || { mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix; } ||
    fail "no /tmp/.X11-unix"
export XDG_RUNTIME_DIR=$WORK/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=headless-backend.so --use-pixman --xwayland --socket=zuzor-e2e --idle-time=0 \
    --width=1024 --height=768 --log="$WORK/weston.log" >"$WORK/weston.out" 2>&1 &
XVFB_PID=$! # cleanup ends the compositor, and Xwayland with it
n=
for i in $(seq 1 100); do
    n=$(sed -n 's/.*xserver listening on display :\([0-9]*\).*/\1/p' "$WORK/weston.log" 2>/dev/null)
    [ -n "$n" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
done
[ -n "$n" ] || fail "weston started no Xwayland: $(cat "$WORK/weston.log" "$WORK/weston.out")"
export DISPLAY=":$n"
# Another X program of the session; it also keeps Xwayland from ending between the runs.
xprop -root -spy >/dev/null 2>"$WORK/spy.log" &
SPY_PID=$!
for i in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo | grep -q 'XFree86-VidModeExtension' || fail "this Xwayland offers no mode switch to refuse"

session_alive() {
    kill -0 "$XVFB_PID" 2>/dev/null || fail "$1: the compositor is gone: $(tail -n 5 "$WORK/weston.log")"
    pgrep -x Xwayland >/dev/null && xdpyinfo >/dev/null 2>&1 || fail "$1: Xwayland is gone"
    kill -0 "$SPY_PID" 2>/dev/null || fail "$1: the session's X client lost its server: $(cat "$WORK/spy.log")"
}

# A key as the compositor would deliver it: the headless backend has no keyboard of its own.
press_escape() {
    local w
    w=$(demo_window) || fail "no demo window"
    xdotool key --window "$w" Escape 2>/dev/null
}

export ZUZOR_AUDIO=off ZUZOR_TRACE="$WORK/trace"
fresh_case "the default start, to the end event"
mkdir -p "$WORK/run/Data"
write_script_module "$WORK/run/Data/ZUZOR.XM" || fail "could not generate a module"
start_demo
demo_window >/dev/null || case_fail "the demo opened no window"
wait_demo_exit 30 || case_fail "the demo did not end on Z64"
[ "$DEMO_STATUS" = 0 ] || case_fail "exit status $DEMO_STATUS"
expect_stdout 'inizializzazione fatta\n'
grep -q ' sync Z14 ' "$WORK/trace" && grep -q ' sync Z64 ' "$WORK/trace" ||
    case_fail "the script was not played"
session_alive "$CASE"

fresh_case "the default start, Escape"
mkdir -p "$WORK/run/Data"
write_plain_module "$WORK/run/Data/ZUZOR.XM" || fail "could not generate a module"
start_demo
demo_window >/dev/null || case_fail "the demo opened no window"
sleep 1
demo_running || case_fail "the demo stopped by itself"
press_escape
wait_demo_exit 5 || case_fail "still running after Escape"
[ "$DEMO_STATUS" = 0 ] || case_fail "exit status $DEMO_STATUS"
expect_stdout 'inizializzazione fatta\n'
session_alive "$CASE"
echo "ok"
