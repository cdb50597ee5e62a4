# zuzor-compose --watch: the module is compiled again whenever the score is saved; a fault
# in the score is reported as FILE:LINE: message and the module written before stays.
source "$(dirname "$0")/lib.bash" "$@"
SOURCE_DIR=$(cd "$(dirname "$0")/../.." && pwd)
COMPOSE="$BUILD_DIR/zuzor-compose"
SCORE="$WORK/show.score"
OUT="$WORK/show.xm"
cp "$SOURCE_DIR/authoring/show/zuzor.score" "$SCORE"
"$COMPOSE" --watch "$SCORE" -o "$OUT" 2>"$WORK/stderr" &
COMPOSE_PID=$!
trap 'kill "$COMPOSE_PID" 2>/dev/null; cleanup' EXIT

wait_for() {
    local i
    for i in $(seq 1 100); do
        eval "$1" && return 0
        kill -0 "$COMPOSE_PID" 2>/dev/null || fail "zuzor-compose --watch ended"
        sleep 0.1
    done
    fail "timed out waiting for: $1"
}
wait_for '[ -f "$OUT" ]'
cmp -s "$OUT" "$SOURCE_DIR/Data/ZUZOR.XM" || fail "the first compile is not the show's module"

sed -i 's/^speed 6$/speed 99/' "$SCORE"
line=$(grep -n '^speed 99$' "$SCORE" | cut -d: -f1)
wait_for 'grep -q "^$SCORE:$line: " "$WORK/stderr"'
sleep 0.6
cmp -s "$OUT" "$SOURCE_DIR/Data/ZUZOR.XM" || fail "a faulty score replaced the module"

sed -i 's/^speed 99$/speed 5/' "$SCORE"
wait_for '! cmp -s "$OUT" "$SOURCE_DIR/Data/ZUZOR.XM"'
[ "$(ls -A "$WORK" | grep -c part)" = 0 ] || fail "a part file was left"
echo "compose --watch: recompiles on save, reports score faults, keeps the last good module"
