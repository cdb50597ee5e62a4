# The sound bench measures what it should: through a real PulseAudio with a null sink, every
# click that play_clicks plays is found by record_onsets, at the time the playback stream's
# own timing names for it. Both read the same server clock from opposite ends, so a wrong
# correction of the recording's latency (tens of ms on this sink) shows as a disagreement.
source "$(dirname "$0")/lib.bash" "$@"
source "$(dirname "$0")/sound_servers.bash"
command -v pulseaudio >/dev/null || fail "pulseaudio is not installed (scripts/packages.sh)"
start_pulseaudio || fail "PulseAudio did not start"
"$BUILD_DIR/tests/record_onsets" --seconds 12 >"$WORK/onsets" 2>"$WORK/record.log" &
recorder=$!
sleep 0.5
"$BUILD_DIR/tests/play_clicks" --count 12 >"$WORK/clicks" 2>"$WORK/play.log" ||
    fail "play_clicks failed: $(cat "$WORK/play.log")"
wait "$recorder" || fail "record_onsets failed: $(cat "$WORK/record.log")"
[ "$(grep -c ' onset ' "$WORK/onsets")" = 12 ] ||
    fail "$(grep -c ' onset ' "$WORK/onsets") onsets recorded for 12 clicks"
# The bound leaves room for the spread of the server's timing reports on a busy machine;
# the two sides agreed within 0.4 ms at a load average of 12.
paste "$WORK/clicks" "$WORK/onsets" | awk '{ d = $5 - $1; if (d < -2 || d > 2) { print; bad = 1 } } END { exit bad }' ||
    fail "onsets differ from the clicks' times by more than 2 ms"
echo "ok"
