# zuzor.exe from its zip under Wine, as a viewer starts it: without Data/ it says so and
# draws the opening scene (the grey lattice on white between black side bars); with a
# module it says it is ready; either way other keys are ignored and Escape ends it with 0.
# Closed from outside (X's WM_DELETE_WINDOW, which Wine hands on as WM_CLOSE), it also
# ends with 0.
source "$(dirname "$0")/../e2e/lib.bash" "$@"
source "$(dirname "$0")/wine.bash"
start_x

unpack_zip
rm -r "$APP/Data"
start_demo
demo_window >/dev/null || fail "the demo opened no window"
sleep 2
demo_running || fail "the demo stopped by itself"
expect_stdout '\r\nImpossibile caricare il file\r\n'
screenshot_root "$WORK/opening.ppm"
read -r white grey black colour <<<"$(pixel_kinds "$WORK/opening.ppm" 240:180:280:210)"
[ "$grey" -gt 5000 ] && [ "$white" -gt 2000 ] && [ "$colour" = 0 ] ||
    fail "no grey lattice on white in the middle (white $white, grey $grey, colour $colour)"
for bar in 72:600:4:0 72:600:724:0; do
    read -r white grey black colour <<<"$(pixel_kinds "$WORK/opening.ppm" "$bar")"
    [ "$black" = 43200 ] || fail "the side bar $bar is not black ($white $grey $black $colour)"
done
ignores_other_keys
escape_ends_with_0
check_stderr

unpack_zip
write_plain_module "$APP/Data/ZUZOR.XM" || fail "could not generate a module"
start_demo
demo_window >/dev/null || fail "the demo opened no window"
sleep 1
demo_running || fail "the demo stopped by itself"
expect_stdout 'inizializzazione fatta\r\n'
ignores_other_keys
escape_ends_with_0
check_stderr

start_demo
w=$(demo_window) || fail "the demo opened no window"
sleep 1
"$BUILD_DIR/tests/send_wm_delete" "$w" || fail "could not send the close"
wait_demo_exit 5 || fail "the demo was still running 5 s after the close"
[ "$DEMO_STATUS" = 0 ] || fail "exit status $DEMO_STATUS after the close"
check_stderr
echo "ok"
