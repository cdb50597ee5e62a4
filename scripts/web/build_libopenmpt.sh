# libopenmpt for the browser: the static library alone, built with Debian's emscripten, no
# optional decoder and no player, examples, tests or documentation. The show reads one XM
# module, so nothing beyond the library proper is compiled.
# Sourced by scripts/web-deps.sh.

build_libopenmpt() {
    local src=$1 prefix=$2
    # One && chain: errexit does not hold inside the caller's `if`.
    (
        cd "$src" &&
        emconfigure ./configure --host=wasm32-unknown-none --prefix="$prefix" \
            CFLAGS=-O2 CXXFLAGS=-O2 \
            --disable-shared --enable-static \
            --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
            --without-zlib --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile \
            --without-pulseaudio --without-portaudio --without-portaudiocpp --without-sdl2 \
            --without-sndfile --without-flac &&
            emmake make -j"$(nproc)" &&
            emmake make install
    ) >&2
}
