# The capture tool from the command line: the same span twice gives the same PNGs and WAV
# byte for byte; a video holds H.264 and AAC of the span's length, with each changed picture
# at its moment; bad options, a missing module and an unwritable video end with a reason
# and a non-zero status; a failed or interrupted capture leaves no output.
source "$(dirname "$0")/lib.bash"
SOURCE_DIR=$(cd "$(dirname "$0")/../.." && pwd)
CAPTURE="$BUILD_DIR/zuzor-capture"
[ -x "$CAPTURE" ] || fail "no zuzor-capture in $BUILD_DIR"
cd "$SOURCE_DIR"

for run in a b; do
    "$CAPTURE" --quiet --frames "$WORK/$run" --size 200x150 --fps 30 --from 22 --to 25 \
        2>"$WORK/stderr" || fail "capture $run failed"
done
[ "$(ls "$WORK/a" | grep -c '^frame-.*\.png$')" -eq 90 ] || fail "expected 90 frames for 3 s at 30 fps"
# 3 s of float stereo at 44.1 kHz after a 44-byte header.
[ "$(stat -c %s "$WORK/a/audio.wav")" -eq $((44 + 3 * 44100 * 8)) ] || fail "audio.wav has the wrong size"
diff -r "$WORK/a" "$WORK/b" >/dev/null || fail "two captures of the same span differ"
# The span holds the tower's entry, so the picture must change within it.
[ "$(md5sum "$WORK"/a/frame-*.png | awk '{ print $1 }' | sort -u | wc -l)" -gt 10 ] ||
    fail "the frames hardly change"

# A video: H.264 and AAC of the span's length, each changed picture once, at its moment.
# The part a killed capture of the same video left behind goes first.
: >"$WORK/.v.mp4.part"
"$CAPTURE" --quiet --out "$WORK/v.mp4" --size 160x120 --from 1 --to 3 2>"$WORK/stderr" ||
    fail "video capture failed"
"$CAPTURE" --quiet --frames "$WORK/vf" --size 160x120 --from 1 --to 3 2>"$WORK/stderr" ||
    fail "frames capture failed"
streams=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$WORK/v.mp4" | sort | tr '\n' ' ')
[ "$streams" = "aac h264 " ] || fail "the video holds '$streams', not H.264 and AAC"
for stream in v a; do
    duration=$(ffprobe -v error -select_streams $stream -show_entries stream=duration -of csv=p=0 "$WORK/v.mp4")
    [ "$duration" = "2.000000" ] || fail "stream $stream lasts $duration s, not 2 s"
done
# The moments (in 60ths of a second) at which the PNG frames change, and those of the video.
md5sum "$WORK"/vf/frame-*.png | awk '$1 != last { print NR - 1 } { last = $1 }' >"$WORK/changes"
ffprobe -v error -select_streams v -show_entries frame=pts_time -of csv=p=0 "$WORK/v.mp4" |
    awk -F, '$1 != "" { printf "%d\n", $1 * 60 + 0.5 }' >"$WORK/pictures"
[ "$(wc -l <"$WORK/changes")" -gt 20 ] || fail "the span hardly changes"
diff "$WORK/changes" "$WORK/pictures" >/dev/null ||
    fail "the video's pictures are not at the moments the frames change: $(diff "$WORK/changes" "$WORK/pictures" | head -n 3 | tr '\n' ' ')"
# Played at 60 fps, the video is 120 frames, each the PNG frame of its moment.
frames=$(ffmpeg -v error -i "$WORK/v.mp4" -vf fps=60 -f framemd5 - | grep -c '^0,')
[ "$frames" -eq 120 ] || fail "expected 120 frames for 2 s at 60 fps, got $frames"
[ -z "$(ls -A "$WORK" | grep part)" ] || fail "the encoder's part files were left behind"

# Interrupted, a capture takes its part files with it.
"$CAPTURE" --quiet --out "$WORK/killed.mp4" --size 160x120 2>"$WORK/stderr" &
capture_pid=$!
for _ in $(seq 100); do
    [ -n "$(ls -A "$WORK" | grep killed)" ] && break
    sleep 0.1
done
sleep 1
kill -TERM "$capture_pid"
wait "$capture_pid" 2>/dev/null
[ -z "$(ls -A "$WORK" | grep killed)" ] || fail "an interrupted capture left $(ls -A "$WORK" | grep killed)"

# A module the player refuses leaves no folder and no header-only audio.wav.
printf 'Extended Module: not really' >"$WORK/bad.xm"
if "$CAPTURE" --quiet --module "$WORK/bad.xm" --frames "$WORK/refused" 2>"$WORK/err"; then
    fail "a broken module was captured"
fi
[ ! -e "$WORK/refused" ] || fail "a refused capture left $(ls -A "$WORK/refused")"

# A video that cannot be written: a reason, and nothing left behind.
if "$CAPTURE" --quiet --out "$WORK/none/v.mp4" --size 160x120 --to 1 2>"$WORK/err"; then
    fail "a video into a missing directory was accepted"
fi
grep -q "cannot write $WORK/none/v.mp4" "$WORK/err" || fail "no reason for the unwritable video: $(head -n 1 "$WORK/err")"
: >"$WORK/stderr"

expect_refusal() {
    local reason=$1
    shift
    if "$CAPTURE" "$@" >"$WORK/out" 2>"$WORK/err"; then fail "accepted: $*"; fi
    grep -q -- "$reason" "$WORK/err" || fail "no reason '$reason' for: $* (got: $(head -n 1 "$WORK/err"))"
}
expect_refusal "unknown option --bogus" --bogus
expect_refusal "bad value for --fps" --fps 0
expect_refusal "bad value for --size" --size 10x10
expect_refusal "cannot read $WORK/none.xm" --module "$WORK/none.xm" --frames "$WORK/c"
echo "capture tool: deterministic frames and sound, a video with its pictures at their moments, clear refusals"
