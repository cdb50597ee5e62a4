# Helpers for the fault tests, sourced after lib.bash: each case starts the demo afresh in
# an empty run directory, with HOME and TMPDIR inside the scratch directory, so that any
# file the demo writes shows up where the case can see it.

# Empties the run directory, the demo's home and temporary directory, and the output files.
fresh_case() {
    CASE=$1
    rm -rf "$WORK/run" "$WORK/home" "$WORK/tmp" "$WORK/stdout" "$WORK/stderr" "$WORK/trace"
    mkdir -p "$WORK/run" "$WORK/home" "$WORK/tmp"
    export HOME="$WORK/home" TMPDIR="$WORK/tmp"
}

case_fail() { fail "$CASE: $*"; }

# Call once the case's Data/ is in place: what is there now is the case's own.
note_files() { (cd "$WORK" && find run home tmp | sort) >"$WORK/files-before"; }

check_nothing_written() {
    (cd "$WORK" && find run home tmp | sort) >"$WORK/files-after"
    local new
    new=$(comm -13 "$WORK/files-before" "$WORK/files-after")
    [ -z "$new" ] || case_fail "files were written: $new"
}

expect_stdout() {
    printf "$1" >"$WORK/expected"
    cmp -s "$WORK/stdout" "$WORK/expected" || case_fail "standard output was: $(od -c "$WORK/stdout")"
}

# The demo runs for a moment, Escape ends it with status 0, and it left no file behind.
runs_until_escape() {
    demo_window >/dev/null || case_fail "the demo opened no window"
    sleep "${1:-1}"
    demo_running || case_fail "the demo stopped by itself"
    send_keys Escape
    wait_demo_exit "$EXIT_LIMIT_S" || case_fail "the demo was still running $EXIT_LIMIT_S s after Escape"
    [ "$DEMO_STATUS" = 0 ] || case_fail "exit status $DEMO_STATUS after Escape"
    check_nothing_written
}

# At most one line on stderr, and if there is one it is the demo's own.
stderr_at_most_one_line() {
    [ "$(wc -l <"$WORK/stderr")" -le 1 ] || case_fail "more than one line on stderr"
    [ ! -s "$WORK/stderr" ] || grep -q '^zuzor: ' "$WORK/stderr" ||
        case_fail "stderr: $(cat "$WORK/stderr")"
}

# A module with a script that lights a flash at once (row 2), for cases that need one.
write_module() {
    mkdir -p "$WORK/run/Data"
    "$BUILD_DIR/tests/make_test_module" "$WORK/run/Data/ZUZOR.XM" --rows 32 --event 2:Z14 \
        >/dev/null || fail "could not generate a module"
}
