// Writes FastTracker II modules (XM 1.04, or 1.02 and 1.03) from an in-memory description: the
// score compiler builds the show's module with it, and tests build small modules with it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zuzor {

struct XmCell {
    uint8_t note = 0;  // 1..96 (1 = C-0), 97 = key off, 0 = none
    uint8_t instrument = 0;
    uint8_t volume = 0;  // volume column byte (0x10..0x50 set volume, 0 = none)
    uint8_t effect = 0;  // 0..35 ('Z' is 35)
    uint8_t param = 0;
};

struct XmPattern {
    int rows = 64;
    int channels = 0;
    std::vector<XmCell> cells;  // rows x channels, row-major

    XmPattern() = default;
    XmPattern(int rowCount, int channelCount)
        : rows(rowCount), channels(channelCount), cells(size_t(rowCount) * channelCount) {}
    XmCell& at(int row, int channel) { return cells[size_t(row) * channels + channel]; }
    const XmCell& at(int row, int channel) const { return cells[size_t(row) * channels + channel]; }
};

struct XmEnvelopePoint {
    uint16_t tick;
    uint16_t value;  // 0..64
};

struct XmEnvelope {
    std::vector<XmEnvelopePoint> points;  // at most 12
    bool enabled = false;
    bool sustain = false;
    bool loop = false;
    uint8_t sustainPoint = 0;
    uint8_t loopStart = 0;
    uint8_t loopEnd = 0;
};

struct XmSample {
    std::string name;
    std::vector<int16_t> data;  // 16-bit mono
    uint32_t loopStart = 0;     // in samples
    uint32_t loopLength = 0;    // in samples; 0 = no loop
    bool pingPong = false;
    uint8_t volume = 64;
    int8_t finetune = 0;
    uint8_t panning = 128;
    int8_t relativeNote = 0;
};

struct XmInstrument {
    std::string name;
    std::vector<XmSample> samples;  // the first sample serves every note unless keymap says
    uint8_t keymap[96] = {};
    XmEnvelope volumeEnvelope;
    XmEnvelope panningEnvelope;
    uint8_t vibratoType = 0;
    uint8_t vibratoSweep = 0;
    uint8_t vibratoDepth = 0;
    uint8_t vibratoRate = 0;
    uint16_t fadeout = 0;
};

struct XmModule {
    // 0x0104, as trackers write today; 0x0103 and 0x0102 put the instrument headers before
    // the patterns and all sample data after them, and 0x0102 stores a pattern's row count
    // in one byte.
    int version = 0x0104;
    std::string name;
    std::string tracker = "zuzor";
    int channels = 4;
    int restartPosition = 0;
    bool linearFrequencies = true;
    int speed = 6;    // ticks per row
    int tempo = 125;  // BPM
    std::vector<uint8_t> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// The module as XM file bytes. Patterns are stored packed.
// Throws std::invalid_argument for what the format cannot hold (more than 256 orders or
// patterns, 128 instruments, 16 samples per instrument, 12 envelope points or 32 channels,
// a pattern of 0 or more than 256 rows, a loop outside its sample), rather than writing a
// file whose counts disagree with its contents.
std::vector<uint8_t> writeXm(const XmModule& module);

}  // namespace zuzor
