# The Debian packages the project needs, and a function that installs the missing ones.
# The sound output's own streams build against libpulse, libasound and PipeWire's headers;
# the sound servers and ALSA's pulse plugin are for the sound tests and bench
# (tools/av_offset.sh, tests/e2e/sound_servers.bash).
# Sourced by ./run and ./test.

ZUZOR_BUILD_PACKAGES="cmake make g++ pkg-config freeglut3-dev libglu1-mesa-dev libgl-dev
    libgl1-mesa-dri libopenmpt-dev libsdl2-dev libegl-dev libegl-mesa0 libpng-dev
    libx11-dev libxrandr-dev
    libpulse-dev libasound2-dev libpipewire-0.3-dev libdbus-1-dev
    libavcodec-dev libavformat-dev libavutil-dev libswscale-dev"
ZUZOR_TEST_PACKAGES="libgtest-dev libgmock-dev libbenchmark-dev libegl-dev libegl-mesa0
    libxmp-dev xvfb xdotool xauth x11-utils x11-apps ffmpeg openbox wmctrl libx11-dev
    clang libclang-rt-14-dev
    pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber dbus-daemon
    libasound2-plugins weston xwayland"

# Installs whichever of the named packages are missing: as root with apt-get, otherwise
# through sudo.
install_missing_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing Debian packages: ${missing[*]}" >&2
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q >&2 || return 1
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        "${missing[@]}" >&2
}
