# libopenmpt for Windows: the static library alone, no optional decoder (the demo plays one
# XM module, which needs none of zlib, mpg123, ogg, vorbis or flac), no player, examples,
# tests or documentation. Sourced by scripts/windows-deps.sh.

build_libopenmpt() {
    local src=$1 prefix=$2
    # One && chain: errexit does not hold inside the caller's `if`.
    (
        cd "$src" &&
        ./configure --host="$ZUZOR_MINGW_HOST" --prefix="$prefix" \
            CC="$ZUZOR_MINGW_CC" CXX="$ZUZOR_MINGW_CXX" CFLAGS=-O2 CXXFLAGS=-O2 \
            --disable-shared --enable-static \
            --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
            --without-zlib --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile \
            --without-pulseaudio --without-portaudio --without-portaudiocpp --without-sdl2 \
            --without-sndfile --without-flac &&
            make -j"$(nproc)" && make install
    ) >&2
}
