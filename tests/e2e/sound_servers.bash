# Sound servers for measuring the demo's sound on a machine without a sound card: PulseAudio
# or PipeWire (with WirePlumber and its pulse layer), each with a null sink as the default
# output, run as ordinary daemons of this shell in a private XDG_RUNTIME_DIR. Sourced after
# lib.bash (whose cleanup it extends) or alone; every daemon started here ends with the shell.
#
#   start_pulseaudio | start_pipewire     the server, ready for clients when it returns
#   kill_sound_server                     SIGKILL the server itself (not its helpers)
#   restart_sound_server                  start again whatever of it is not running
#   use_alsa_pulse_plugin                 ALSA's "default" becomes the pulse plugin
#   stop_sound_servers                    end everything started here
#
# Root is fine: PulseAudio warns that it is not meant for root and runs all the same. No
# systemd user session is needed. WirePlumber 0.4 exits without a D-Bus session bus, so
# start_pipewire starts a private one (PulseAudio runs without).
#
# The daemons are children of the sourcing shell: wait for your own jobs by PID, a bare
# `wait` would wait for the servers too.

SOUND_DIR=$(mktemp -d /tmp/zuzor-sound.XXXXXX)
chmod 700 "$SOUND_DIR"
SOUND_SERVER=        # pulseaudio or pipewire, once started
declare -A SOUND_PIDS=()
# Everything the servers and their clients keep per user goes below SOUND_DIR.
export XDG_RUNTIME_DIR="$SOUND_DIR/runtime" XDG_CONFIG_HOME="$SOUND_DIR/config"
export XDG_STATE_HOME="$SOUND_DIR/state" XDG_DATA_HOME="$SOUND_DIR/data"
export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR/pulse" PULSE_STATE_PATH="$XDG_STATE_HOME/pulse"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_DATA_HOME"
unset PULSE_SERVER PIPEWIRE_REMOTE DBUS_SESSION_BUS_ADDRESS
# The null sink's name on either server.
SOUND_SINK=zuzor_null

stop_sound_servers() {
    local name
    for name in "${!SOUND_PIDS[@]}"; do kill "${SOUND_PIDS[$name]}" 2>/dev/null; done
    for name in "${!SOUND_PIDS[@]}"; do
        wait "${SOUND_PIDS[$name]}" 2>/dev/null
        unset "SOUND_PIDS[$name]"
    done
    [ -n "${ZUZOR_E2E_KEEP:-}" ] && echo "kept $SOUND_DIR" >&2 || rm -rf "$SOUND_DIR"
}
# Runs before whatever cleanup the test had (lib.bash's).
_sound_previous_exit_trap=$(trap -p EXIT | sed -e "s/^trap -- '//" -e "s/' EXIT\$//")
trap "stop_sound_servers; ${_sound_previous_exit_trap:-:}" EXIT

sound_fail() {
    echo "sound_servers: $*" >&2
    local log
    for log in "$SOUND_DIR"/*.log; do [ -f "$log" ] && tail -n 5 "$log" | sed "s|^|  $(basename "$log"): |" >&2; done
    return 1
}

# Starts $2... as a daemon named $1, its output in $SOUND_DIR/$1.log.
_sound_daemon() {
    local name=$1
    shift
    "$@" >>"$SOUND_DIR/$name.log" 2>&1 &
    SOUND_PIDS[$name]=$!
}

_sound_running() { [ -n "${SOUND_PIDS[$1]:-}" ] && kill -0 "${SOUND_PIDS[$1]}" 2>/dev/null; }

# Waits up to 10 s until a pulse client sees the null sink as the default sink.
wait_pulse_ready() {
    local i
    for i in $(seq 1 100); do
        [ "$(pactl get-default-sink 2>/dev/null)" = "$SOUND_SINK" ] && return 0
        sleep 0.1
    done
    sound_fail "no pulse server with $SOUND_SINK as default sink after 10 s"
}

_start_pulseaudio_daemon() {
    # -n: no default script, so no card detection, no suspend on idle: the null sink is the
    # only sink and runs all the time, like a card that is always open.
    _sound_daemon pulseaudio pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        --log-target=stderr --realtime=no --high-priority=no \
        --load="module-null-sink sink_name=$SOUND_SINK rate=44100" \
        --load="module-native-protocol-unix auth-anonymous=1"
}

start_pulseaudio() {
    command -v pulseaudio >/dev/null || sound_fail "pulseaudio is not installed" || return 1
    SOUND_SERVER=pulseaudio
    _start_pulseaudio_daemon
    wait_pulse_ready
}

# PipeWire's own configuration plus a drop-in with the null sink, which drives the graph on
# its own timer as a card would.
_write_pipewire_config() {
    mkdir -p "$XDG_CONFIG_HOME/pipewire/pipewire.conf.d"
    cat >"$XDG_CONFIG_HOME/pipewire/pipewire.conf.d/zuzor-null-sink.conf" <<EOF
context.objects = [
    { factory = adapter
        args = {
            factory.name = support.null-audio-sink
            node.name = "$SOUND_SINK"
            node.description = "zuzor null sink"
            media.class = "Audio/Sink"
            audio.position = [ FL FR ]
            monitor.channel-volumes = true
            priority.session = 2000
            priority.driver = 2000
            node.driver = true
            object.linger = true
        }
    }
]
EOF
}

_start_session_bus() {
    _sound_running dbus && return 0
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
    _sound_daemon dbus dbus-daemon --session --nofork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS"
    local i
    for i in $(seq 1 50); do
        [ -S "$XDG_RUNTIME_DIR/bus" ] && return 0
        sleep 0.1
    done
    sound_fail "the session bus did not start"
}

_start_pipewire_daemons() {
    _start_session_bus || return 1
    _sound_running pipewire || _sound_daemon pipewire pipewire
    local i
    for i in $(seq 1 100); do
        [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break
        sleep 0.1
    done
    _sound_running wireplumber || _sound_daemon wireplumber wireplumber
    _sound_running pipewire-pulse || _sound_daemon pipewire-pulse pipewire-pulse
}

start_pipewire() {
    local tool
    for tool in pipewire wireplumber pipewire-pulse pactl dbus-daemon; do
        command -v $tool >/dev/null || sound_fail "$tool is not installed" || return 1
    done
    SOUND_SERVER=pipewire
    _write_pipewire_config
    _start_pipewire_daemons || return 1
    wait_pulse_ready
}

# The server's PID: pulseaudio's, or the PipeWire daemon's (WirePlumber and the pulse layer
# are clients of it).
sound_server_pid() { echo "${SOUND_PIDS[$SOUND_SERVER]:-}"; }

kill_sound_server() {
    local pid
    pid=$(sound_server_pid)
    [ -n "$pid" ] || sound_fail "no sound server to kill" || return 1
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    unset "SOUND_PIDS[$SOUND_SERVER]"
}

restart_sound_server() {
    case $SOUND_SERVER in
    pulseaudio) _sound_running pulseaudio || _start_pulseaudio_daemon ;;
    pipewire)
        # WirePlumber and the pulse layer may have outlived the daemon: start them afresh so
        # they connect to the new one.
        local name
        for name in wireplumber pipewire-pulse; do
            if _sound_running $name && ! _sound_running pipewire; then
                kill "${SOUND_PIDS[$name]}" 2>/dev/null
                wait "${SOUND_PIDS[$name]}" 2>/dev/null
                unset "SOUND_PIDS[$name]"
            fi
        done
        rm -f "$XDG_RUNTIME_DIR/pipewire-0" "$XDG_RUNTIME_DIR/pipewire-0.lock"
        _start_pipewire_daemons || return 1
        ;;
    *) sound_fail "no sound server was started" || return 1 ;;
    esac
    wait_pulse_ready
}

# ALSA's "default" device becomes the pulse plugin (libasound2-plugins), whichever server
# speaks the pulse protocol here: for SDL_AUDIODRIVER=alsa.
use_alsa_pulse_plugin() {
    [ -e /usr/lib/x86_64-linux-gnu/alsa-lib/libasound_module_pcm_pulse.so ] ||
        ls /usr/lib/*/alsa-lib/libasound_module_pcm_pulse.so >/dev/null 2>&1 ||
        sound_fail "the ALSA pulse plugin (libasound2-plugins) is not installed" || return 1
    cat >"$SOUND_DIR/asoundrc" <<'EOF'
pcm.!default { type pulse }
ctl.!default { type pulse }
EOF
    # ALSA reads its own configuration first, then ours on top of it.
    export ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$SOUND_DIR/asoundrc"
}

# Summed CPU seconds (user + system) of the server's daemons so far.
sound_server_cpu_seconds() {
    local pid total=0 ticks
    for pid in "${SOUND_PIDS[@]}"; do
        ticks=$(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null) || continue
        total=$((total + ticks))
    done
    awk -v t="$total" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f\n", t / hz }'
}
