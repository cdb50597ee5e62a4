# The demo through a real sound server, as on a desktop: its sound reaches the sink as the
# show's sound, its events come with their sound, and its course survives the server's
# death and finds the sound again after a restart. Sourced after lib.bash,
# sound_servers.bash and av_offset.bash, with the server started; each check fails the test.

SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export ZUZOR_TRACE="$WORK/trace"

# Records the sink's monitor into $1 (a WAV of floats) in the background; RECORDING_PID.
record_monitor() {
    parec -d @DEFAULT_MONITOR@ --format=float32le --rate=44100 --channels=2 --file-format=wav \
        "$1" 2>>"$WORK/parec.log" &
    RECORDING_PID=$!
}

# Starts record_onsets (clicks timed as they reach it) on standard output; RECORDER. Right
# after a server starts, WirePlumber may not link a new stream yet: the recorder then fails
# at once and is started again.
start_recorder() {
    local try
    for try in 1 2 3 4 5; do
        "$BUILD_DIR/tests/record_onsets" --clock arrival 2>>"$WORK/record.log" &
        RECORDER=$!
        sleep 0.5
        kill -0 "$RECORDER" 2>/dev/null && return 0
        wait "$RECORDER"
    done
    fail "the recorder did not start: $(cat "$WORK/record.log")"
}

stop_job() {
    kill "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}

# The show plays for 5 s into the server; the recording must hold the capture's sound for
# the same stretch of the show, in two half seconds out of three at least.
check_show_sound() {
    rm -rf "$WORK/run" && mkdir -p "$WORK/run" && cp -r "$SOURCE_DIR/Data" "$WORK/run/"
    record_monitor "$WORK/show.wav"
    sleep 0.3
    start_demo
    wait_trace 'sync ' 10 || fail "no event of the show within 10 s"
    sleep 5
    send_keys Escape
    wait_demo_exit "$EXIT_LIMIT_S" || fail "the demo did not end on Escape"
    [ "$DEMO_STATUS" = 0 ] || fail "exit status $DEMO_STATUS after Escape"
    stop_job "$RECORDING_PID"
    (cd "$WORK/run" && "$BUILD_DIR/zuzor-capture" --frames "$WORK/capture" --size 16x16 --fps 1 \
        --to 5 --quiet) || fail "the capture did not run"
    "$BUILD_DIR/tests/compare_sound" "$WORK/show.wav" "$WORK/capture/audio.wav" 1 3 \
        >"$WORK/match" || fail "could not compare the recording: $(cat "$WORK/parec.log")"
    echo "the show's sound from 1 s to 4 s: $(tail -n 1 "$WORK/match")"
    # Most half seconds must match: a busy machine may make the server run dry once.
    awk '/half seconds match/ { exit !($1 * 3 >= $3 * 2) }' "$WORK/match" ||
        fail "the sound at the sink is not the show's sound: $(tr '\n' ';' <"$WORK/match")"
    [ ! -s "$WORK/stderr" ] || fail "stderr on a working server: $(cat "$WORK/stderr")"
}

# Fails unless the clicks whose events were applied between trace times $2 and $3 came on
# time: no event more than 5 ms before its click (min and p5 of applied - click), and the
# music clock within 5 ms after it (p95 of heard - click). How late the main loop applies
# a heard event (it may be drawing a frame) is the loop's, not the clock's.
check_on_time() {
    local what=$1 applied heard
    awk -v a="$2" -v b="$3" '$2 == "sync" && $3 == "Z14" && $1 >= a && $1 < b' "$WORK/trace" \
        >"$WORK/trace.part"
    applied=$(pair_clicks "$WORK/trace.part" "$WORK/onsets" | percentiles)
    heard=$(pair_clicks "$WORK/trace.part" "$WORK/onsets" heard | percentiles)
    echo "$what, p5 p50 p95 min max: applied - click $applied, heard - click $heard"
    [ -n "$applied" ] || fail "$what: no click paired with its event"
    # The sanitizers' build runs too slowly to be timed; it checks the course and memory.
    [ -n "${ASAN_OPTIONS:-}" ] && return 0
    awk '{ exit !($1 >= -5 && $4 >= -5) }' <<<"$applied" ||
        fail "$what: events applied more than 5 ms before their clicks ($applied)"
    awk '{ exit !($3 <= 5) }' <<<"$heard" ||
        fail "$what: the music clock more than 5 ms behind the clicks ($heard)"
}

# The click module, $5 s long (23 unless given); the server is killed at $1 s and started
# again at $2 s of the demo's run, the demo on SDL_AUDIODRIVER=$3 (empty: its own choice);
# with $4 = no the clicks are only counted, not timed. Clicks are timed as they
# reach the recorder (record_onsets --clock arrival): PulseAudio's null sink runs some
# 0.2 ms a second fast against the monotonic clock, which its own timing reports hide. Events must come on time before, go on without sound, come on time with the sound
# again after the restart, and the end event must end the demo with status 0.
check_course_through_a_kill() {
    local kill_at=$1 restart_at=$2 driver=$3 timed=${4:-yes} seconds=${5:-23}
    rm -rf "$WORK/run" && mkdir -p "$WORK/run/Data"
    "$BUILD_DIR/tests/make_click_module" "$WORK/run/Data/ZUZOR.XM" --seconds "$seconds" ||
        fail "no click module"
    local recorder
    start_recorder >"$WORK/onsets"
    recorder=$RECORDER
    rm -f "$ZUZOR_TRACE"
    local started=$SECONDS
    SDL_AUDIODRIVER=$driver start_demo
    while demo_running && [ $((SECONDS - started)) -lt "$kill_at" ]; do sleep 0.1; done
    local killed
    killed=$(tail -n 1 "$ZUZOR_TRACE" | cut -d' ' -f1)
    kill_sound_server || fail "could not kill the server"
    stop_job "$recorder"
    while demo_running && [ $((SECONDS - started)) -lt "$restart_at" ]; do sleep 0.1; done
    grep -q 'zuzor: the sound output stopped (.*); the music runs silently' "$WORK/stderr" ||
        fail "nothing said when the server went away"
    local restarted
    restarted=$(tail -n 1 "$ZUZOR_TRACE" | cut -d' ' -f1)
    local restart_began=$SECONDS
    restart_sound_server || fail "could not restart the server"
    local restart_took=$((SECONDS - restart_began))
    start_recorder >>"$WORK/onsets"
    recorder=$RECORDER
    wait_demo_exit 30 || fail "the demo did not end by itself"
    sleep 0.3
    stop_job "$recorder"
    [ "$DEMO_STATUS" = 0 ] || fail "exit status $DEMO_STATUS at the end event"
    grep -q ' sync Z64 ' "$ZUZOR_TRACE" || fail "the end event was not applied"
    grep -q "zuzor: sound output back (${driver:-.*})" "$WORK/stderr" ||
        fail "the sound did not come back after the restart (the server took ${restart_took} s)"
    [ "$(wc -l <"$WORK/stderr")" = 2 ] || fail "not two lines on stderr"
    local silent
    silent=$(awk -v a="$killed" -v b="$restarted" '$1 > a && $1 < b && / sync Z14 /' \
        "$ZUZOR_TRACE" | grep -c .)
    echo "$silent events applied while the server was down"
    [ "$silent" -ge 2 ] || fail "the course stopped with the server ($silent events)"
    [ "$timed" = yes ] && check_on_time "before the kill" 0 "$killed"
    local back
    back=$(awk -v r="$restarted" '$1 > r + 1000 && $2 == "onset"' "$WORK/onsets" | grep -c .)
    [ "$back" -ge 3 ] || fail "no sound after the restart ($back clicks recorded)"
    [ "$timed" = yes ] &&
        check_on_time "after the restart" "$(awk -v r="$restarted" 'BEGIN { print r + 1000 }')" 1e30
    return 0
}
