# The demo on a PulseAudio server with a null sink, with no driver named: it must choose
# PulseAudio itself, play the show's sound, apply the events with their sound, and keep its
# course through the server's death and restart. With --mute it plays to no one, silently.
source "$(dirname "$0")/lib.bash" "$@"
source "$(dirname "$0")/sound_servers.bash"
source "$(dirname "$0")/av_offset.bash"
source "$(dirname "$0")/sound_course.bash"
command -v parec >/dev/null || fail "parec is not installed (scripts/packages.sh)"
unset SDL_AUDIODRIVER ZUZOR_AUDIO ZUZOR_AUDIO_LATENCY_MS
start_x
start_pulseaudio || fail "PulseAudio did not start"
check_show_sound
check_course_through_a_kill 11 13 ""

rm -f "$WORK/trace"
start_demo --mute
wait_trace "frame 40" 10 || fail "--mute: the show did not run"
pactl list short sink-inputs | grep -q . && fail "--mute: a stream on the server: $(pactl list short sink-inputs)"
send_keys Escape
wait_demo_exit "$EXIT_LIMIT_S" || fail "--mute: still running after Escape"
[ -s "$WORK/stderr" ] && fail "--mute: said something"
echo "ok"
