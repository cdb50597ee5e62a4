# The picture keeps its 4:3 shape on a screen of any size: the largest centred 4:3
# rectangle, black around it. On a wide screen larger than the show's 800x600 (drawn at
# 800x600 and scaled up) and on a small one (drawn directly, inside the bars); --window
# opens an 800x600 window. A lit flash panel shows where the picture's quarters lie: a
# stretched picture would light the probe that a 4:3 one keeps black.
source "$(dirname "$0")/lib.bash" "$@"
source "$(dirname "$0")/modules.bash"
mkdir -p "$WORK/run/Data"
write_script_module "$WORK/run/Data/ZUZOR.XM" || fail "could not generate a module"
export ZUZOR_AUDIO=off

is_black() { [ "$(pixel_at "$1" "$2" "$3")" = "0 0 0" ]; }
is_lit() {
    local p
    p=$(pixel_at "$1" "$2" "$3")
    [ "$p" != "0 0 0" ] && [ "$p" != "255 255 255" ]
}

# $1 screen; the upper-right flash (Z14) is photographed. $2 a probe inside the flash,
# $3 a probe in the picture's own right bar (lit if the picture were stretched), $4 a probe
# outside the picture.
check_screen() {
    local screen=$1 inside=$2 bar=$3 outside=$4
    start_x "${screen}x24"
    export ZUZOR_TRACE="$WORK/trace"
    rm -f "$WORK/trace"
    start_demo
    demo_window >/dev/null || fail "$screen: the demo opened no window"
    wait_trace "sync Z14" 10 || fail "$screen: Z14 was never applied"
    sleep 0.3
    screenshot "$WORK/shot-$screen.ppm"
    send_keys Escape
    wait_demo_exit "$EXIT_LIMIT_S" || fail "$screen: still running after Escape"
    is_lit "$WORK/shot-$screen.ppm" $inside || fail "$screen: the flash is not at $inside"
    is_black "$WORK/shot-$screen.ppm" $bar ||
        fail "$screen: $bar is not the picture's black bar: $(pixel_at "$WORK/shot-$screen.ppm" $bar)"
    is_black "$WORK/shot-$screen.ppm" $outside || fail "$screen: $outside is not black"
    kill "$XVFB_PID"
    wait "$XVFB_PID" 2>/dev/null
}

# 1920x1080: the picture is x 240..1680; its right bar 1536..1680; the flash 960..1536.
check_screen 1920x1080 "1200 270" "1650 270" "100 540"
# 640x400: the picture is x 53..586; its right bar 533..586; the flash 319..533.
check_screen 640x400 "450 100" "560 100" "20 200"

# --window: an 800x600 window on a larger screen. Without Data/ it shows the still opening
# scene, white at x 90 inside the picture's own side bar; widened to 1000x600 (bars at the
# sides) and back, the whole picture is drawn again.
start_x 1280x1024x24
mkdir -p "$WORK/bare"
(cd "$WORK/bare" && exec "$ZUZOR_BIN" --window >"$WORK/stdout" 2>"$WORK/stderr") &
DEMO_PID=$!
w=$(demo_window) || fail "--window: no window"
geometry=$(xdotool getwindowgeometry "$w" | awk '/Geometry/ { print $2 }')
[ "$geometry" = 800x600 ] || fail "--window: the window is $geometry"
xdotool windowsize "$w" 1000 600
sleep 0.5
xdotool windowsize "$w" 800 600
sleep 0.5
screenshot "$WORK/shot-resized.ppm"
[ "$(pixel_at "$WORK/shot-resized.ppm" 90 300)" = "255 255 255" ] ||
    fail "--window: after a resize x 90 is $(pixel_at "$WORK/shot-resized.ppm" 90 300)"
send_keys Escape
wait_demo_exit "$EXIT_LIMIT_S" || fail "--window: still running after Escape"
echo "ok"
