# The module conducts the running demo: Z0F/Z05 switch the voxel field, Z14..Z17 light
# their quarters, and Z64 ends the demo by itself at the next tick.
source "$(dirname "$0")/lib.bash" "$@"
source "$(dirname "$0")/modules.bash"
mkdir -p "$WORK/run/Data"
write_script_module "$WORK/run/Data/ZUZOR.XM" || fail "could not generate a module"
start_x
export ZUZOR_TRACE="$WORK/trace" ZUZOR_AUDIO=off
start_demo
demo_window >/dev/null || fail "the demo opened no window"

# Screenshots are taken as the events come and looked at afterwards: a flash lasts only
# ten ticks.
sleep 0.5
screenshot "$WORK/voxels.ppm"
wait_trace "sync Z0F" 5 || fail "Z0F was never applied"
sleep 0.3
screenshot "$WORK/off.ppm"
for code in Z14 Z15 Z16 Z17; do
    wait_trace "sync $code" 5 || fail "$code was never applied"
    sleep 0.2  # the flash shows from the next tick's frame on
    screenshot "$WORK/$code.ppm"
done
wait_trace "sync Z05" 5 || fail "Z05 was never applied"
sleep 0.3
screenshot "$WORK/on.ppm"

wait_demo_exit 10 || fail "the demo did not end on Z64"
[ "$DEMO_STATUS" = 0 ] || fail "exit status $DEMO_STATUS after Z64"
# The quit is acted on at the end of the first tick after the event: one tick line follows
# the event, and nothing is drawn after it (a frame already due may still come between the
# event and that tick).
after=$(sed -n '/sync Z64/,$p' "$WORK/trace" | tail -n +2)
[ "$(grep -c tick <<<"$after")" = 1 ] || fail "not exactly one tick after Z64: $after"
sed -n '/ tick /,$p' <<<"$after" | grep -q frame && fail "a frame was drawn after the quit tick"
heard=$(awk '/sync Z64/ { for (i = 1; i < NF; i++) if ($i == "heard") print $(i + 1) }' "$WORK/trace")
# A tick is 50 ms; the bound leaves room for a slow software-rendered frame on a busy machine.
ended=$(awk '/ tick / { t = $1 } END { print t }' "$WORK/trace")
awk -v h="$heard" -v e="$ended" 'BEGIN { exit !(e - h < 400) }' ||
    fail "the last tick came $(awk -v h="$heard" -v e="$ended" 'BEGIN { print e - h }') ms after Z64 was heard"

[ "$(non_white_count "$WORK/voxels.ppm" 400:300:200:150)" -gt 1000 ] ||
    fail "the voxel field is not on screen at the start"
[ "$(non_white_count "$WORK/off.ppm" 600:600:100:0)" -eq 0 ] ||
    fail "the voxel field is still drawn after Z0F"
[ "$(non_white_count "$WORK/on.ppm" 400:300:200:150)" -gt 1000 ] ||
    fail "the voxel field is not back after Z05"
# Quarters as seen on the 800x600 window (x, y from the top left).
declare -A probe=([Z15]="200 150" [Z14]="600 150" [Z17]="200 450" [Z16]="600 450")
for code in Z14 Z15 Z16 Z17; do
    for quarter in Z14 Z15 Z16 Z17; do
        read -r r g b <<<"$(pixel_at "$WORK/$code.ppm" ${probe[$quarter]})"
        if [ "$quarter" = "$code" ]; then
            [ "$r$g$b" != 255255255 ] || fail "$code did not light its quarter"
        else
            [ "$r$g$b" = 255255255 ] || fail "$code lit the quarter of $quarter ($r $g $b)"
        fi
    done
done
echo "ok"
