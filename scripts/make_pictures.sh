#!/usr/bin/env bash
# Redraws the README's scene pictures (docs/pictures) and the visual tests' references
# (tests/reference) from the offline capture. Run after a change to what the show looks
# like, from a configured build: scripts/make_pictures.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" -j2 --target zuzor-capture zuzor_tests >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The moments match the scene table in tests/unit/capture_pictures_test.cpp.
"$build/zuzor-capture" --quiet --size 320x240 --frames "$scratch" --at 12,30,45,60,134
mkdir -p docs/pictures
for scene in 12:voxel_field 30:tower 45:grid 60:warp 134:logo; do
    cp "$scratch/at-${scene%%:*}.png" "docs/pictures/${scene##*:}.png"
done
ZUZOR_UPDATE_REFERENCES=1 LIBGL_ALWAYS_SOFTWARE=1 "$build/tests/zuzor_tests" \
    --gtest_filter='CapturePictures.*' >/dev/null
echo "docs/pictures and tests/reference redrawn"
