// make_click_module: writes the module for measuring how far the demo's script runs from its
// sound. Its only sound is a short full-scale click on every row that carries a Z14, silence
// elsewhere; the gaps between clicks vary (300..780 ms) so that a recording's onsets line up
// with the script's events in one way only. It ends with Z64 after the last click.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "authoring/xm_writer.h"

using namespace zuzor;

namespace {

constexpr int rowsPerPattern = 64;
constexpr int fullRows = 640;  // speed 3 at 125 BPM: 60 ms a row, 38.4 s in all
constexpr int firstClickRow = 16;
constexpr int endAfterLastClick = 20;
// Gaps in rows, used in turn: no two neighbours alike, none a multiple of another nearby.
constexpr int gaps[] = {7, 11, 5, 13, 9, 6, 10, 8, 12, 5, 9, 7, 13, 6, 11};
constexpr uint8_t clickNote = 49;  // C-4
constexpr uint8_t clickEvent = 0x14, endEvent = 0x64;

// 2 ms periods of a square wave at full scale, fading out over 3 ms: its first sample is
// already at full level, so the onset is sharp to a sample.
XmInstrument clickInstrument() {
    XmSample sample;
    sample.name = "click";
    // C-4 plays at 8363 Hz times 2^(29/12): about 44.6 kHz, near one sample per output frame.
    sample.relativeNote = 29;
    const int length = 132;
    for (int i = 0; i < length; ++i) {
        const double level = 32767.0 * (1.0 - double(i) / length);
        sample.data.push_back(int16_t((i / 44) % 2 ? -level : level));
    }
    XmInstrument instrument;
    instrument.name = "click";
    instrument.samples.push_back(sample);
    return instrument;
}

std::vector<int> clickRows(int lastClickRow) {
    std::vector<int> rows;
    size_t k = 0;
    for (int row = firstClickRow; row <= lastClickRow; row += gaps[k++ % std::size(gaps)])
        rows.push_back(row);
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    bool list = false;
    int rows = fullRows;
    bool usage = argc < 2 || argv[1][0] == '-';
    for (int i = 2; i < argc && !usage; ++i) {
        if (std::strcmp(argv[i], "--list") == 0) {
            list = true;
        } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            // Whole patterns, at least one click before the end.
            const double seconds = std::atof(argv[++i]);
            rows = std::clamp(int(seconds / 0.06) / rowsPerPattern * rowsPerPattern, rowsPerPattern,
                              fullRows);
        } else {
            usage = true;
        }
    }
    if (usage) {
        std::fprintf(stderr,
                     "usage: make_click_module OUT.xm [--list] [--seconds S]\n"
                     "  --list       also prints each click's row and its time in the song (s)\n"
                     "  --seconds S  a shorter module: S seconds (whole patterns of 3.84 s,\n"
                     "               at most 38.4 s), Z64 a little before its end\n");
        return 2;
    }
    const int patterns = rows / rowsPerPattern;
    const int endRow = rows - endAfterLastClick;
    XmModule module;
    module.name = "zuzor clicks";
    module.channels = 2;  // the clicks, the script
    module.speed = 3;
    module.tempo = 125;
    module.instruments.push_back(clickInstrument());
    for (int p = 0; p < patterns; ++p) {
        module.patterns.emplace_back(rowsPerPattern, module.channels);
        module.orders.push_back(uint8_t(p));
    }
    const auto cell = [&](int row, int channel) -> XmCell& {
        return module.patterns[size_t(row / rowsPerPattern)].at(row % rowsPerPattern, channel);
    };
    const double rowSeconds = 2.5 * module.speed / module.tempo;
    for (int row : clickRows(endRow - endAfterLastClick)) {
        cell(row, 0).note = clickNote;
        cell(row, 0).instrument = 1;
        cell(row, 1).effect = 35;  // Z
        cell(row, 1).param = clickEvent;
        if (list) std::printf("%d %.3f\n", row, row * rowSeconds);
    }
    cell(endRow, 1).effect = 35;
    cell(endRow, 1).param = endEvent;

    const std::vector<uint8_t> bytes = writeXm(module);
    FILE* file = std::fopen(argv[1], "wb");
    bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = file && std::fclose(file) == 0 && written;
    if (!written) {
        std::fprintf(stderr, "make_click_module: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
