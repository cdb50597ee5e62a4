# Broken and extreme modules: whatever Data/ZUZOR.XM holds, the demo either plays it or
# says "Impossibile caricare il file" and runs silently; it never crashes or hangs, and
# Escape ends it with status 0.
source "$(dirname "$0")/lib.bash" "$@"
source "$(dirname "$0")/faults.bash"
start_x
export SDL_AUDIODRIVER=dummy
module="$WORK/run/Data/ZUZOR.XM"

# Each case puts its module in place with the command given, then checks the refusal.
refused() {
    fresh_case "$1"
    mkdir -p "$WORK/run/Data"
    eval "$2"
    note_files
    start_demo
    runs_until_escape 1
    expect_stdout '\nImpossibile caricare il file\n'
    [ -s "$WORK/stderr" ] && case_fail "stderr: $(cat "$WORK/stderr")"
    true
}

good="$WORK/good.xm"
"$BUILD_DIR/tests/make_test_module" "$good" --rows 64 --orders 2 --event 2:Z14 >/dev/null ||
    fail "could not generate a module"
size=$(stat -c %s "$good")

refused missing ":"
refused empty ": >\"\$module\""
refused "header only" "head -c 60 \"\$good\" >\"\$module\""
refused "garbage" "awk 'BEGIN { srand(7); for (i = 0; i < 8192; i++) printf \"%c\", int(rand() * 256) }' >\"\$module\""
refused "garbage after the signature" "{ head -c 60 \"\$good\"; head -c 4000 /dev/zero | tr '\\\\0' '\\\\377'; } >\"\$module\""
refused "an image" "cp \"$(dirname "$0")/../../Data/korvane.tga\" \"\$module\""
refused "a directory" "mkdir \"\$module\""

# Cut inside a pattern: the mixer plays the rows that are there, and so does the script.
fresh_case "truncated in a pattern"
mkdir -p "$WORK/run/Data"
head -c $((size / 3)) "$good" >"$module"
note_files
start_demo
runs_until_escape 1
expect_stdout 'inizializzazione fatta\n'

# No pattern at all: the script is empty and the mixer has nothing to play.
fresh_case "zero patterns"
mkdir -p "$WORK/run/Data"
"$BUILD_DIR/tests/make_fault_module" zero-patterns "$module" || fail "could not generate a module"
note_files
start_demo
runs_until_escape 1
grep -q 'Impossibile caricare il file\|inizializzazione fatta' "$WORK/stdout" ||
    case_fail "standard output was: $(od -c "$WORK/stdout")"
[ -s "$WORK/stderr" ] && case_fail "stderr: $(cat "$WORK/stderr")"

# The largest counts XM allows: 32 channels and 256 patterns of 256 rows. The script on
# the last channel is read and applied.
fresh_case "largest"
mkdir -p "$WORK/run/Data"
"$BUILD_DIR/tests/make_fault_module" largest "$module" || fail "could not generate a module"
note_files
export ZUZOR_TRACE="$WORK/trace"
start_demo
wait_trace "sync Z14" 10 || case_fail "Z14 on the 32nd channel was never applied"
rm -f "$WORK/trace"
note_files
runs_until_escape 0.5
unset ZUZOR_TRACE
expect_stdout 'inizializzazione fatta\n'
[ -s "$WORK/stderr" ] && case_fail "stderr: $(cat "$WORK/stderr")"
echo "ok"
