# zuzor.exe under Wine plays the script of the Linux test sync_script.sh and ends by itself
# with 0 at its Z64. The run's clock keeps real time: the show takes the song's length in
# wall-clock time, and its trace spans no more than the run did. Prints the tick pace.
source "$(dirname "$0")/../e2e/lib.bash" "$@"
source "$(dirname "$0")/wine.bash"
start_x

unpack_zip
write_script_module "$APP/Data/ZUZOR.XM" || fail "could not generate a module"
# Wine maps the Z: drive to the root of the Linux file system.
export ZUZOR_TRACE="Z:$WORK/trace"
started=$EPOCHREALTIME
start_demo
demo_window >/dev/null || fail "the demo opened no window"
wait_demo_exit 60 || fail "the demo did not end on Z64"
wall=$(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }')
[ "$DEMO_STATUS" = 0 ] || fail "exit status $DEMO_STATUS after Z64"
expect_stdout 'inizializzazione fatta\r\n'
check_stderr

for code in Z0F Z14 Z15 Z16 Z17 Z05 Z64; do
    grep -q "sync $code" "$WORK/trace" || fail "$code was never applied"
done
after=$(sed -n '/sync Z64/,$p' "$WORK/trace" | tail -n +2)
[ "$(grep -c tick <<<"$after")" = 1 ] || fail "not exactly one tick after Z64: $after"
# A counter read at the wrong rate would play the song faster or slower than the wall
# clock, and stamp the trace with a span other than the run's. Wine starts the program
# and the effects warm up before the first line.
span=$(awk 'NR == 1 { first = $1 } { last = $1 } END { print (last - first) / 1000 }' "$WORK/trace")
awk -v w="$wall" -v s="$span" -v song="$SCRIPT_MODULE_END_S" \
    'BEGIN { exit !(w >= song && s >= song - 0.1 && s <= w && w - s < 8) }' ||
    fail "the trace spans $span s of a run of $wall s, for a song of $SCRIPT_MODULE_END_S s"

awk '/ tick / { if (last) print $1 - last; last = $1 }' "$WORK/trace" | sort -n | awk '
    { d[NR] = $1 } END { printf "ticks %d: median %.1f ms, 90%% below %.1f ms, max %.1f ms\n",
        NR + 1, d[int(NR / 2) + 1], d[int(NR * 0.9) + 1], d[NR] }'
echo "run $wall s, trace $span s"
echo "ok"
