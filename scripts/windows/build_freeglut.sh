# freeglut for Windows with its own CMake build and our toolchain file: the static library
# under the name FindGLUT looks for (glut), no demos. Sourced by scripts/windows-deps.sh.

build_freeglut() {
    local src=$1 prefix=$2
    # One && chain: errexit does not hold inside the caller's `if`.
    (
        cmake -S "$src" -B "$src/build" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$ZUZOR_WINDOWS_TOOLCHAIN" -DZUZOR_WINDOWS_DEPS="$prefix" \
            -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib \
            -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON \
            -DFREEGLUT_REPLACE_GLUT=ON -DFREEGLUT_BUILD_DEMOS=OFF &&
            cmake --build "$src/build" -j"$(nproc)" && cmake --install "$src/build"
    ) >&2
}
