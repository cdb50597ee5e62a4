# SDL2 for Windows: the static library with the audio subsystem and Windows' audio back ends
# (WASAPI, DirectSound, winmm) and what audio cannot do without: threads, atomics, timers,
# shared-object loading (DirectSound is loaded at run time) and CPU detection (the format
# converters). Video (with events) stays on: SDL's dynamic API table names functions of the
# Windows video driver (SDL_RegisterApp, SDL_Direct3D9GetAdapterIndex, ...), and without that
# driver no program links. Everything else is switched off. Sourced by
# scripts/windows-deps.sh.

build_libsdl2() {
    local src=$1 prefix=$2
    # One && chain: errexit does not hold inside the caller's `if`.
    (
        cd "$src" &&
        ./configure --host="$ZUZOR_MINGW_HOST" --prefix="$prefix" \
            CC="$ZUZOR_MINGW_CC" CXX="$ZUZOR_MINGW_CXX" CFLAGS=-O2 \
            --disable-shared --enable-static \
            --enable-audio --enable-wasapi --enable-directx \
            --enable-atomic --enable-timers --enable-loadso --enable-cpuinfo \
            --enable-video --enable-events --disable-render --disable-render-d3d \
            --disable-video-opengl --disable-video-opengles --disable-video-vulkan \
            --disable-joystick --disable-haptic --disable-hidapi --disable-sensor \
            --disable-power --disable-filesystem --disable-locale --disable-misc \
            --disable-xinput --disable-diskaudio --disable-libsamplerate &&
            make -j"$(nproc)" && make install
    ) >&2
}
