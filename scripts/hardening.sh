#!/usr/bin/env bash
# The hardening half of ./test: the whole suite again under AddressSanitizer with
# UndefinedBehaviorSanitizer (build-asan), the player's threads under ThreadSanitizer
# (build-tsan), and a short run of each fuzz target (build-fuzz, clang).
#
# ZUZOR_FUZZ_SECONDS sets each fuzz target's run (default 20); ZUZOR_HARDENING_STEPS picks
# steps by name (default "asan tsan fuzz").
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
JOBS=$(nproc)
FUZZ_SECONDS=${ZUZOR_FUZZ_SECONDS:-20}
STEPS=${ZUZOR_HARDENING_STEPS:-asan tsan fuzz}
SUPP=$ROOT/tests/sanitizers

step() { echo "== hardening: $* ($(date -u +%T))"; }

# The sanitizers write their reports into files, so a finding is seen even when a test's
# own timing check, thrown off by the instrumented build's slowness, is retried and
# passes. Any report fails the step.
run_ctest_with_reports() {
    local dir=$1
    shift
    rm -rf "$dir/sanitizer-reports"
    mkdir -p "$dir/sanitizer-reports"
    local status=0
    (cd "$dir" && ctest --output-on-failure -j"$JOBS" --repeat until-pass:3 "$@") || status=$?
    if [ -n "$(ls -A "$dir/sanitizer-reports")" ]; then
        echo "hardening: sanitizer reports in $dir/sanitizer-reports:" >&2
        cat "$dir"/sanitizer-reports/* >&2
        return 1
    fi
    return "$status"
}

for s in $STEPS; do case $s in
asan)
    step "AddressSanitizer and UndefinedBehaviorSanitizer: build and the whole suite"
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUZOR_SANITIZE=address \
        -DZUZOR_TESTS=ON -DZUZOR_BENCH=OFF >/dev/null
    cmake --build build-asan -j"$JOBS"
    reports=$ROOT/build-asan/sanitizer-reports
    export ASAN_OPTIONS="halt_on_error=1:detect_stack_use_after_return=1:log_path=$reports/asan"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"
    export LSAN_OPTIONS="suppressions=$SUPP/lsan.supp:print_suppressions=0"
    run_ctest_with_reports build-asan -E '^e2e[.]'
    # The demo ends with exit() and its threads and GL context still up, by design; the
    # leak check at that point finds nothing of use and its tracer cannot stop Mesa's
    # threads. The end-to-end runs check memory errors and undefined behaviour only.
    ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" run_ctest_with_reports build-asan -R '^e2e[.]'
    unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS
    ;;
tsan)
    step "ThreadSanitizer: the player and the renderer"
    cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUZOR_SANITIZE=thread \
        -DZUZOR_TESTS=OFF -DZUZOR_BENCH=OFF >/dev/null
    cmake --build build-tsan -j"$JOBS" --target zuzor_thread_tests
    run_ctest_with_reports build-tsan
    ;;
fuzz)
    step "fuzzing: each target for ${FUZZ_SECONDS} s"
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DZUZOR_FUZZ=ON -DZUZOR_TESTS=OFF -DZUZOR_BENCH=OFF >/dev/null
    cmake --build build-fuzz -j"$JOBS" --target fuzz_targets
    passed=0 failed=0
    for target in tga xm_script song_load; do
        corpus=build-fuzz/corpus/$target
        mkdir -p "$corpus" build-fuzz/artifacts
        # The working corpus grows in the build tree; the seeds in the repository stay as
        # they are.
        if build-fuzz/tests/fuzz/fuzz_$target -max_total_time="$FUZZ_SECONDS" -max_len=8192 \
            -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="build-fuzz/artifacts/$target-" "$corpus" \
            "tests/fuzz/corpus/$target" >"build-fuzz/$target.log" 2>&1; then
            passed=$((passed + 1))
            echo "fuzz_$target: $(grep -o 'stat::number_of_executed_units: *[0-9]*' \
                "build-fuzz/$target.log" | grep -o '[0-9]*$') runs, no finding"
        else
            failed=$((failed + 1))
            echo "fuzz_$target: FINDING (build-fuzz/$target.log, build-fuzz/artifacts/)"
            grep -A 30 'ERROR\|check failed\|deadly signal' "build-fuzz/$target.log" | head -n 40
        fi
    done
    echo "fuzz: $passed passed, $failed failed"
    [ "$failed" = 0 ]
    ;;
*) echo "hardening: unknown step $s" >&2; exit 2 ;;
esac; done
