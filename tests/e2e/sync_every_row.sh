# The demo applies exactly the events the timeline lists, at the same moments of the song:
# a Zxx on every row at tempo 120, where a tick is not a whole number of frames, played
# on the silent clock and through SDL's dummy device, whose callbacks cut the sound
# elsewhere than the timeline does.
source "$(dirname "$0")/lib.bash" "$@"
mkdir -p "$WORK/run/Data"
events=()
codes=(Z14 Z15 Z16 Z17)
for row in $(seq 0 94); do events+=(--event "$row:${codes[row % 4]}"); done
"$BUILD_DIR/tests/make_test_module" "$WORK/run/Data/ZUZOR.XM" --tempo 120 --speed 2 --rows 96 \
    "${events[@]}" --event 95:Z64 >/dev/null || fail "could not generate a module"
# code and moment in ms of each event the timeline lists
"$BUILD_DIR/zuzor-timeline" "$WORK/run/Data/ZUZOR.XM" |
    awk '!/^#/ { split($1, t, ":"); printf "%s %d\n", $6, (t[1] * 60 + t[2]) * 1000 + 0.5 }' \
        >"$WORK/listed"
[ "$(wc -l <"$WORK/listed")" = 96 ] || fail "the timeline lists $(wc -l <"$WORK/listed") events, not 96"
# The same script as a picture: a labelled mark per event, the flashes' codes among them.
"$BUILD_DIR/zuzor-timeline" --svg "$WORK/timeline.svg" "$WORK/run/Data/ZUZOR.XM" >/dev/null ||
    fail "zuzor-timeline --svg failed"
[ "$(grep -o '<title>' "$WORK/timeline.svg" | wc -l)" = 96 ] || fail "the picture does not mark 96 events"
grep -q '>Z64<title>' "$WORK/timeline.svg" || fail "the picture does not mark the end event"
start_x
for way in ZUZOR_AUDIO=off SDL_AUDIODRIVER=dummy; do
    rm -f "$WORK/trace"
    export ZUZOR_TRACE="$WORK/trace" "$way"
    start_demo --window
    wait_demo_exit 60 || fail "$way: the demo did not end on Z64"
    unset "${way%%=*}"
    [ "$DEMO_STATUS" = 0 ] || fail "$way: exit status $DEMO_STATUS"
    # song moment of each applied event, in ms
    # (up to Z64: the song goes on into its next pass until the quit tick comes)
    awk '$2 == "sync" && !done { for (i = 3; i < NF; i++) if ($i == "song") printf "%s %d\n", $3, $(i + 1) * 1000 + 0.5; done = $3 == "Z64" }' \
        "$WORK/trace" >"$WORK/applied"
    diff "$WORK/listed" "$WORK/applied" >"$WORK/diff" ||
        fail "$way: the demo applied other events than the timeline lists: $(head -n 8 "$WORK/diff")"
done
echo "ok"
