# Closing the window from outside ends the demo the way Escape does: exit status 0, no
# abort, whether the music plays on a device or on the silent clock. Under a window
# manager (openbox) by its close request and by Alt+F4, and without one by the
# WM_DELETE_WINDOW message itself.
source "$(dirname "$0")/lib.bash" "$@"
source "$(dirname "$0")/faults.bash"
command -v openbox >/dev/null || fail "openbox is not installed"
command -v wmctrl >/dev/null || fail "wmctrl is not installed"

start_x

close_with() {
    local how=$1 w=$2
    case $how in
    wm-delete) "$BUILD_DIR/tests/send_wm_delete" "$w" ;;
    wmctrl) wmctrl -F -c zuzor ;;
    alt-f4) xdotool windowactivate --sync "$w" key alt+F4 ;;
    esac
}

run_case() {
    local how=$1 audio=$2
    fresh_case "$how, $audio"
    write_module
    export "$audio"
    start_demo
    local w
    w=$(demo_window) || case_fail "the demo opened no window"
    sleep 0.5
    demo_running || case_fail "the demo stopped by itself"
    close_with "$how" "$w" || case_fail "could not send the close"
    wait_demo_exit "$EXIT_LIMIT_S" || case_fail "the demo was still running $EXIT_LIMIT_S s after the close"
    [ "$DEMO_STATUS" = 0 ] || case_fail "exit status $DEMO_STATUS: $(cat "$WORK/stderr")"
    grep -q 'terminate\|abort' "$WORK/stderr" && case_fail "stderr: $(cat "$WORK/stderr")"
    unset ZUZOR_AUDIO SDL_AUDIODRIVER
}

for audio in ZUZOR_AUDIO=off SDL_AUDIODRIVER=dummy; do
    run_case wm-delete "$audio"
done

openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
OPENBOX_PID=$!
for i in $(seq 1 50); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"
for how in wmctrl alt-f4; do
    for audio in ZUZOR_AUDIO=off SDL_AUDIODRIVER=dummy; do
        run_case "$how" "$audio"
    done
done
kill "$OPENBOX_PID"
echo "ok"
