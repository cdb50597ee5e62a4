# Shared helpers for the end-to-end tests: a private X server, the demo started in a scratch
# working directory, keys sent to its window. Sourced by the tests; not a test itself.
set -u

ZUZOR_BIN=$1
BUILD_DIR=$2
WORK=$(mktemp -d /tmp/zuzor-e2e.XXXXXX)
XVFB_PID=
DEMO_PID=

cleanup() {
    [ -n "$DEMO_PID" ] && kill -9 "$DEMO_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
# ZUZOR_E2E_KEEP=1 keeps the scratch directory (screenshots, trace) for a look afterwards.
[ -n "${ZUZOR_E2E_KEEP:-}" ] && trap 'kill $DEMO_PID $XVFB_PID 2>/dev/null; echo "kept $WORK"' EXIT

# Without a session bus libdbus launches one through the X server when SDL's audio asks for
# it, which can hold the sound output's opening (and so Escape) for seconds. A desktop has
# its bus; the tests have none unless they start one (tests/e2e/sound_servers.bash).
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || export DBUS_SESSION_BUS_ADDRESS=disabled:

fail() {
    echo "FAIL: $*" >&2
    [ -f "$WORK/stderr" ] && sed 's/^/  demo stderr: /' "$WORK/stderr" >&2
    exit 1
}

# Starts Xvfb, 800x600x24 like the demo's mode unless $1 gives another screen geometry.
# Xvfb picks a free display number itself (-displayfd), so test runs, soak runs and other
# X servers on the machine never meet on one display.
start_x() {
    local geometry=${1:-800x600x24}
    command -v Xvfb >/dev/null || fail "Xvfb is not installed"
    local fifo=$WORK/xvfb.display n=
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -noreset 3>"$fifo" >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    read -r -t 10 n <"$fifo" || true
    rm -f "$fifo"
    [ -n "$n" ] || fail "could not start Xvfb"
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    fail "could not start Xvfb"
}

# Starts the demo in $WORK/run (which holds Data/ if the test put one there), with the
# options given.
start_demo() {
    mkdir -p "$WORK/run"
    (cd "$WORK/run" && exec "$ZUZOR_BIN" "$@" >"$WORK/stdout" 2>"$WORK/stderr") &
    DEMO_PID=$!
}

# The demo's window id, waiting up to 10 s for it to appear.
demo_window() {
    local i w
    for i in $(seq 1 100); do
        w=$(xdotool search --name '^zuzor$' 2>/dev/null | head -n 1)
        [ -n "$w" ] && { echo "$w"; return 0; }
        kill -0 "$DEMO_PID" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

send_keys() {
    local w
    w=$(demo_window) || fail "no demo window"
    xdotool windowfocus --sync "$w" key --delay 20 "$@"
}

demo_running() { kill -0 "$DEMO_PID" 2>/dev/null; }

# How long the demo may take to end after Escape or a close. Measured with the search for a
# sound device over: 0.2 s in the Release build, up to 2.2 s under ASan at load 5-6 (the
# leak check at exit is most of it). How fast the demo leaves is a benchmark's matter
# (BENCHMARKS.md); here it only has to leave.
EXIT_LIMIT_S=10

# Waits up to $1 seconds for the demo to end and puts its exit status in DEMO_STATUS.
# Runs in the test's own shell (not in a command substitution), which is the demo's parent.
wait_demo_exit() {
    local limit=$1 i steps
    steps=$(awk "BEGIN { print int($limit * 20) }")
    for i in $(seq 1 "$steps"); do
        if ! demo_running; then
            wait "$DEMO_PID"
            DEMO_STATUS=$?
            DEMO_PID=
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# At most one line on stderr: the note that the music runs silently, where there is no
# sound device.
check_stderr_quiet() {
    [ "$(wc -l <"$WORK/stderr")" -le 1 ] || fail "more than one line on stderr"
}

# Saves the window as a PPM image (via xwd and ffmpeg) to $1.
screenshot() {
    local w
    w=$(demo_window) || fail "no demo window"
    xwd -silent -id "$w" >"$WORK/shot.xwd" || fail "xwd failed"
    ffmpeg -loglevel error -y -i "$WORK/shot.xwd" -f image2 -vcodec ppm "$1" ||
        fail "could not convert the screenshot"
}

# Waits up to $2 seconds for a line matching $1 in the trace file $WORK/trace.
wait_trace() {
    local pattern=$1 limit=$2 i
    for i in $(seq 1 $((limit * 50))); do
        grep -q -- "$pattern" "$WORK/trace" 2>/dev/null && return 0
        demo_running || return 1
        sleep 0.02
    done
    return 1
}

# Prints "R G B" of pixel ($2, $3) (from the top left) of the image $1.
pixel_at() {
    ffmpeg -loglevel error -i "$1" -vf "crop=1:1:$2:$3" -f rawvideo -pix_fmt rgb24 - |
        od -An -tu1 | awk '{ print $1, $2, $3 }'
}

# Prints how many pixels of the region w:h:x:y of image $1 are not pure white.
non_white_count() {
    ffmpeg -loglevel error -i "$1" -vf "crop=$2" -f rawvideo -pix_fmt gray - |
        od -An -v -tu1 | tr -s ' ' '\n' | awk 'NF && $1 < 255 { n++ } END { print n + 0 }'
}
