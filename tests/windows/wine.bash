# Helpers for the end-to-end tests of zuzor.exe under Wine, sourced after tests/e2e/lib.bash
# (whose ZUZOR_BIN is here the zip, and BUILD_DIR the Linux build with the module
# generators): the zip unpacked as a viewer unpacks it, the demo started from its folder
# under Wine on the test's own X server, Wine's own output told apart from the demo's.
# Needs ZUZOR_WINE (the wine64 loader) and WINEPREFIX in the environment.
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/modules.bash"

ZIP=$(realpath -m "$ZUZOR_BIN")
WINE=${ZUZOR_WINE:?the wine64 loader}
WINESERVER=$(dirname "$WINE")/wineserver
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$ZIP" ] || fail "no $ZIP: scripts/windows.sh builds it"
[ "$ZIP" -nt "$(dirname "$ZIP")/zuzor.exe" ] ||
    fail "$ZIP is older than zuzor.exe: scripts/windows.sh packs it again"

# A running Wine server keeps the display its first program met: every test starts its
# own, and none outlives the test.
"$WINESERVER" -k 2>/dev/null
"$WINESERVER" -w
wine_cleanup() {
    "$WINESERVER" -k 2>/dev/null
    cleanup
}
trap wine_cleanup EXIT

# Unpacks the zip afresh into $WORK/run; the demo's folder is then $APP.
unpack_zip() {
    rm -rf "$WORK/run"
    mkdir -p "$WORK/run"
    (cd "$WORK/run" && cmake -E tar xf "$ZIP") || fail "could not unpack $ZIP"
    APP=$WORK/run/zuzor-windows
    [ -f "$APP/zuzor.exe" ] && [ -f "$APP/Data/ZUZOR.XM" ] || fail "the zip lacks zuzor.exe or Data/"
}

# Starts zuzor.exe in its folder, as a double click does. The Wine loader becomes the
# Windows process: DEMO_PID is the demo, and its exit status is the demo's.
start_demo() {
    (cd "$APP" && exec "$WINE" zuzor.exe >"$WORK/stdout" 2>"$WORK/stderr") &
    DEMO_PID=$!
}

# freeglut names its game mode window FREEGLUT; the fallback window is the demo's own.
demo_window() {
    local i w
    for i in $(seq 1 300); do
        w=$(xdotool search --onlyvisible --name '^(FREEGLUT|zuzor)$' 2>/dev/null | head -n 1)
        [ -n "$w" ] && { echo "$w"; return 0; }
        demo_running || return 1
        sleep 0.1
    done
    return 1
}

# The demo's own stderr: Wine passes DISPLAY on to freeglut, which takes it for a Windows
# display name and warns, and Wine's ALSA driver complains where there is no sound card.
# What remains is at most the demo's one line about running silently (ended with CR LF,
# like every line a Windows program writes in text mode).
check_stderr() {
    local own
    own=$(tr -d '\r' <"$WORK/stderr" | grep -v -e "^freeglut .*CreateDC failed" \
        -e "^This is quite likely caused by a bad '-display'" -e '^ALSA lib ')
    [ -z "$own" ] && return 0
    [ "$(wc -l <<<"$own")" = 1 ] && grep -q '^zuzor: .*the music runs silently$' <<<"$own" ||
        fail "stderr: $own"
}

# Exactly these bytes on standard output: the C runtime's text mode ends each line with CR LF.
expect_stdout() {
    printf "$1" >"$WORK/expected"
    cmp -s "$WORK/stdout" "$WORK/expected" || fail "standard output was: $(od -c "$WORK/stdout")"
}

# The whole X screen as a PPM image in $1.
screenshot_root() {
    xwd -root -silent >"$WORK/shot.xwd" || fail "xwd failed"
    ffmpeg -loglevel error -y -i "$WORK/shot.xwd" -f image2 -vcodec ppm "$1" ||
        fail "could not convert the screenshot"
}

# "white grey black colour": how many pixels of the region w:h:x:y of image $1 are pure
# white, a grey between black and white, pure black, or coloured.
pixel_kinds() {
    ffmpeg -loglevel error -i "$1" -vf "crop=$2" -f rawvideo -pix_fmt rgb24 - |
        od -An -v -tu1 -w3 | awk '{
            rg = $1 > $2 ? $1 - $2 : $2 - $1; gb = $2 > $3 ? $2 - $3 : $3 - $2
            if (rg > 8 || gb > 8) colour++
            else if ($1 == 255 && $2 == 255 && $3 == 255) white++
            else if ($1 == 0 && $2 == 0 && $3 == 0) black++
            else grey++
        } END { print white + 0, grey + 0, black + 0, colour + 0 }'
}

# Other keys than Escape change nothing: the demo runs on, standard output as it was.
ignores_other_keys() {
    cp "$WORK/stdout" "$WORK/stdout-before"
    send_keys a z q 1 0 9 space Return
    sleep 0.5
    demo_running || fail "a letter or digit ended the demo"
    cmp -s "$WORK/stdout" "$WORK/stdout-before" || fail "keys changed standard output"
}

escape_ends_with_0() {
    send_keys Escape
    wait_demo_exit 5 || fail "the demo was still running 5 s after Escape"
    [ "$DEMO_STATUS" = 0 ] || fail "exit status $DEMO_STATUS after Escape"
}
