#!/usr/bin/env bash
# Builds the show's web page, build-web/zuzor-web.zip: one folder, zuzor-web/, with
# index.html, the page's script, the program (zuzor.js, zuzor.wasm) and the data files
# (Data/), for any static web server. Installs Debian's emscripten when missing, builds
# libopenmpt with it once (scripts/web-deps.sh, cached outside the repository), then the
# program in build-web/. Nothing is downloaded but Debian packages.
# Usage: scripts/web.sh [--tests]   (as root or with sudo, on Debian 12)
#   --tests  also runs the web tests (tests/web/run.sh) against the page
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
source scripts/packages.sh
source scripts/web/emscripten_env.sh

run_tests=
for argument in "$@"; do
    case $argument in
    --tests) run_tests=1 ;;
    *) echo "usage: scripts/web.sh [--tests]" >&2; exit 2 ;;
    esac
done

install_missing_packages $ZUZOR_WEB_PACKAGES
prefix=$(scripts/web-deps.sh | tail -n 1)

launcher=()
command -v ccache >/dev/null &&
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DZUZOR_WEB_DEPS="$prefix" \
    "${launcher[@]}" >/dev/null
cmake --build build-web -j"$(nproc)"

page=build-web/page/zuzor-web
rm -rf build-web/page build-web/zuzor-web.zip
mkdir -p "$page/Data"
cp platform/web/page/index.html platform/web/page/zuzor-page.js build-web/zuzor.js \
    build-web/zuzor.wasm "$page/"
cp Data/ZUZOR.XM Data/drell.tga Data/korvane.tga "$page/Data/"
(cd build-web/page && zip -q -r -X ../zuzor-web.zip zuzor-web)
echo "web: build-web/zuzor-web.zip" >&2

if [ -n "$run_tests" ]; then
    tests/web/run.sh
fi
