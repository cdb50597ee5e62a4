# The generated modules that the end-to-end tests play on Linux and under Wine alike, so
# both platforms meet the same cases. Each writes its module to the file $1 with the
# Linux-built generator in $BUILD_DIR (lib.bash). Sourced by the tests; not a test itself.

# Notes on 64 rows and no script: the demo starts, plays and waits for Escape.
write_plain_module() {
    "$BUILD_DIR/tests/make_test_module" "$1" --rows 64 >/dev/null
}

# The script conducts: Z0F switches the voxel field off at row 8, Z14..Z17 light their
# quarters from row 24, Z05 brings the field back at row 88 and Z64 ends the demo at row
# 104. Speed 6 at 125 BPM: a row lasts 0.12 s, so Z64 is heard 12.48 s into the song.
# Each flash is lit on eight rows in a row, so its quarter stays lit for over a second:
# time enough for a screenshot on a busy machine.
SCRIPT_MODULE_END_S=12.48
write_script_module() {
    local flashes=() pair i
    for pair in 24:Z14 40:Z15 56:Z16 72:Z17; do
        for i in 0 1 2 3 4 5 6 7; do flashes+=(--event "$((${pair%%:*} + i)):${pair##*:}"); done
    done
    "$BUILD_DIR/tests/make_test_module" "$1" --rows 128 --event 8:Z0F "${flashes[@]}" \
        --event 88:Z05 --event 104:Z64 >/dev/null
}
