# zuzor --watch: a changed module or image is loaded again while the demo runs; a broken
# file, a file caught half-written and a file deleted and made again all keep the show
# running, each refusal said in one line on stderr; the show and its events go on after.
source "$(dirname "$0")/lib.bash" "$@"
SOURCE_DIR=$(cd "$(dirname "$0")/../.." && pwd)
DATA="$WORK/run/Data"
mkdir -p "$DATA"
cp "$SOURCE_DIR/Data/drell.tga" "$SOURCE_DIR/Data/korvane.tga" "$DATA/"
# A module whose flashes never stop, so events keep coming after every reload.
module() {
    local events=()
    for row in 0 4 8 12; do events+=(--event "$row:$1"); done
    "$BUILD_DIR/tests/make_test_module" "$2" --rows 16 "${events[@]}" >/dev/null ||
        fail "could not generate a module"
}
module Z14 "$DATA/ZUZOR.XM"
start_x
export ZUZOR_TRACE="$WORK/trace" ZUZOR_AUDIO=off
start_demo --watch
demo_window >/dev/null || fail "the demo opened no window"
wait_trace "sync Z14" 10 || fail "the first module's events never came"

reloads() { grep -c "reload $1" "$WORK/trace"; }
# Waits for the count of "reload KIND" lines in the trace to reach $2.
wait_reloads() {
    local i
    for i in $(seq 1 150); do
        [ "$(reloads "$1")" -ge "$2" ] && return 0
        demo_running || fail "the demo ended while waiting for a $1 reload"
        sleep 0.1
    done
    fail "no $1 reload ($2 expected, $(reloads "$1") seen)"
}
wait_stderr() {
    local i
    for i in $(seq 1 150); do
        grep -q -- "$1" "$WORK/stderr" && return 0
        sleep 0.1
    done
    fail "no line '$1' on stderr"
}

# A new module, written elsewhere and moved in as a compiler writes it.
module Z15 "$WORK/next.xm"
mv "$WORK/next.xm" "$DATA/ZUZOR.XM"
wait_reloads module 1
wait_trace "sync Z15" 10 || fail "the new module's events never came"

# Broken: the old module plays on.
printf 'Extended Module: broken' >"$DATA/ZUZOR.XM"
wait_stderr "Data/ZUZOR.XM: refused: "
demo_running || fail "a broken module ended the demo"

# Written in two goes with a pause between, the file open all along: only the whole file
# is read, once its writer closed it.
module Z16 "$WORK/next.xm"
{
    head -c 300 "$WORK/next.xm"
    sleep 0.1
    tail -c +301 "$WORK/next.xm"
} >"$DATA/ZUZOR.XM"
wait_reloads module 2
[ "$(grep -c refused "$WORK/stderr")" = 1 ] || fail "a half-written module was read"

# Deleted, then made again.
rm "$DATA/ZUZOR.XM"
wait_stderr "Data/ZUZOR.XM: refused: cannot be read"
module Z17 "$DATA/ZUZOR.XM"
wait_reloads module 3

# The images: a new logo (the sprite's picture), then a broken sprite.
cp "$SOURCE_DIR/Data/korvane.tga" "$WORK/logo.tga"
mv "$WORK/logo.tga" "$DATA/drell.tga"
wait_reloads images 1
head -c 1000 "$SOURCE_DIR/Data/korvane.tga" >"$DATA/korvane.tga"
wait_stderr "Data/korvane.tga: refused: pixel data ends after"

# The show goes on: ticks and the last module's events after the last reload.
mark=$(wc -l <"$WORK/trace")
sleep 1.5
demo_running || fail "the demo ended"
tail -n +"$mark" "$WORK/trace" | grep -q "sync Z17" || fail "no events after the reloads"
tail -n +"$mark" "$WORK/trace" | grep -q "tick" || fail "no ticks after the reloads"
[ "$(wc -l <"$WORK/stdout")" = 1 ] || fail "stdout holds more than the start-up line"
send_keys Escape
wait_demo_exit "$EXIT_LIMIT_S" || fail "Escape did not end the demo"
echo "watch: module and image reloads; broken, half-written and deleted files keep the show"
