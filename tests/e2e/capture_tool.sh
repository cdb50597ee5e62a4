# The capture tool from the command line: the same span twice gives the same PNGs and WAV
# byte for byte; a video holds H.264 and AAC; without ffmpeg it writes frames and says so;
# bad options and a missing module end with a reason and a non-zero status; a failed or
# interrupted capture leaves no output.
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

# A video: H.264 and AAC of the span's length. The parts a killed capture of the same video
# left behind go first.
: >"$WORK/.v.mp4.video-part.mkv"
: >"$WORK/v.mp4.audio-part.wav"
"$CAPTURE" --quiet --out "$WORK/v.mp4" --size 160x120 --from 1 --to 3 2>"$WORK/stderr" ||
    fail "video capture failed"
streams=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$WORK/v.mp4" | sort | tr '\n' ' ')
[ "$streams" = "aac h264 " ] || fail "the video holds '$streams', not H.264 and AAC"
frames=$(ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames \
    -of csv=p=0 "$WORK/v.mp4")
[ "$frames" -eq 120 ] || fail "expected 120 video frames for 2 s at 60 fps, got $frames"
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

# Without ffmpeg on the PATH: frames and a WAV instead, and a line that says so.
PATH=/nonexistent "$CAPTURE" --quiet --out "$WORK/nf.mp4" --size 160x120 --to 1 \
    2>"$WORK/stderr" || fail "capture without ffmpeg failed"
grep -q "ffmpeg is not installed.*$WORK/nf-frames" "$WORK/stderr" || fail "no line about the missing ffmpeg"
[ -f "$WORK/nf-frames/audio.wav" ] && [ -f "$WORK/nf-frames/frame-000059.png" ] ||
    fail "no frames and WAV without ffmpeg"
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
echo "capture tool: deterministic frames and sound, a video, the fallback without ffmpeg, clear refusals"
