# zuzor-check names each refused data file and why, in one line; the demo refuses a bad
# value of one of its options with a reason and its usage, before it opens any window.
source "$(dirname "$0")/lib.bash" "$@"
SOURCE_DIR=$(cd "$(dirname "$0")/../.." && pwd)
CHECK="$BUILD_DIR/zuzor-check"
cd "$WORK"
cp -r "$SOURCE_DIR/Data" "$WORK/Data"
"$CHECK" >"$WORK/out" || fail "the show's own data was refused: $(cat "$WORK/out")"
[ "$(cat "$WORK/out")" = "Data/ZUZOR.XM: ok
Data/drell.tga: ok
Data/korvane.tga: ok" ] || fail "unexpected report: $(cat "$WORK/out")"

# A logo with a 42-byte image ID field, a module that is none, a sprite that is missing.
{
    printf '\x2a'
    head -c 18 "$SOURCE_DIR/Data/drell.tga" | tail -c +2
    head -c 42 /dev/zero | tr '\0' x
    tail -c +19 "$SOURCE_DIR/Data/drell.tga"
} >Data/drell.tga
printf 'not a module' >Data/ZUZOR.XM
rm Data/korvane.tga
if "$CHECK" Data >"$WORK/out"; then fail "refused files passed the check"; fi
[ "$(cat "$WORK/out")" = "Data/ZUZOR.XM: refused: not an XM module
Data/drell.tga: refused: image ID field of 42 bytes (only ID length 0 is read)
Data/korvane.tga: refused: cannot be read" ] || fail "unexpected report: $(cat "$WORK/out")"

env -u DISPLAY "$ZUZOR_BIN" --window --from >"$WORK/out" 2>"$WORK/err"
[ $? = 2 ] || fail "--from without a value did not exit with 2"
[ "$(head -n 1 "$WORK/err")" = "zuzor: --from needs a value" ] || fail "no reason: $(cat "$WORK/err")"
grep -q "^usage: zuzor" "$WORK/err" || fail "no usage after the reason"
"$ZUZOR_BIN" --from 2:75 2>"$WORK/err"
[ $? = 2 ] || fail "--from 2:75 did not exit with 2"
grep -q "bad value for --from: '2:75'" "$WORK/err" || fail "no reason for a bad --from"
# --help and --version answer on standard output alone, with no display needed.
env -u DISPLAY "$ZUZOR_BIN" --help >"$WORK/out" 2>"$WORK/err" || fail "--help failed"
grep -q "^  --window " "$WORK/out" && [ ! -s "$WORK/err" ] || fail "--help: $(cat "$WORK/out" "$WORK/err")"
env -u DISPLAY "$ZUZOR_BIN" --version >"$WORK/out" 2>"$WORK/err" || fail "--version failed"
grep -qx "zuzor [0-9.]*" "$WORK/out" && [ ! -s "$WORK/err" ] || fail "--version: $(cat "$WORK/out")"
echo "data check: ok and refused files named with their reasons; the demo's options"
