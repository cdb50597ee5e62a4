# Broken images: a missing, truncated or garbage logo or sprite is refused without a word,
# and the demo plays on with the module.
source "$(dirname "$0")/lib.bash" "$@"
source "$(dirname "$0")/faults.bash"
start_x
export SDL_AUDIODRIVER=dummy
DATA_SRC="$(dirname "$0")/../../Data"

with_images() {
    fresh_case "$1"
    write_module
    eval "$2"
    note_files
    export ZUZOR_TRACE="$WORK/trace"
    start_demo
    # The logo shows from the script's Z2E on; here the flash event proves the script runs.
    wait_trace "sync Z14" 10 || case_fail "the script did not run"
    rm -f "$WORK/trace"
    unset ZUZOR_TRACE
    runs_until_escape 0.5
    expect_stdout 'inizializzazione fatta\n'
    [ -s "$WORK/stderr" ] && case_fail "stderr: $(cat "$WORK/stderr")"
    true
}

d="\$WORK/run/Data"
with_images "missing" ":"
with_images "empty" ": >$d/drell.tga; : >$d/korvane.tga"
with_images "truncated" "head -c 1000 \"$DATA_SRC/drell.tga\" >$d/drell.tga; head -c 17 \"$DATA_SRC/korvane.tga\" >$d/korvane.tga"
with_images "garbage" "awk 'BEGIN { srand(3); for (i = 0; i < 5000; i++) printf \"%c\", int(rand() * 256) }' >$d/drell.tga; cp $d/drell.tga $d/korvane.tga"
with_images "size beyond the data" "printf '\\000\\000\\002\\000\\000\\000\\000\\000\\000\\000\\000\\000\\377\\377\\377\\377\\040\\000' >$d/drell.tga; cp $d/drell.tga $d/korvane.tga"
with_images "directories" "mkdir $d/drell.tga $d/korvane.tga"
echo "ok"
