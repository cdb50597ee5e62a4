// XM serialisation (1.04, or the older 1.02 and 1.03 layouts for tests): little-endian
// header, packed patterns, instruments with delta-coded 16-bit samples.
#include "authoring/xm_writer.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace zuzor {

namespace {

class Bytes {
  public:
    explicit Bytes(std::vector<uint8_t>& out) : out_(out) {}
    void u8(unsigned v) { out_.push_back(uint8_t(v)); }
    void u16(unsigned v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void text(const std::string& s, size_t width, char pad = '\0') {
        for (size_t i = 0; i < width; ++i) u8(i < s.size() ? uint8_t(s[i]) : uint8_t(pad));
    }
    void zeros(size_t count) { out_.insert(out_.end(), count, 0); }
    size_t size() const { return out_.size(); }
    void patchU16(size_t at, unsigned v) {
        out_[at] = uint8_t(v & 0xFF);
        out_[at + 1] = uint8_t((v >> 8) & 0xFF);
    }

  private:
    std::vector<uint8_t>& out_;
};

void writePattern(Bytes& b, const XmPattern& pattern, int channels, int version) {
    // Version 1.02 stores the row count less one in a byte: its header is a byte shorter.
    const bool byteRows = version == 0x0102;
    b.u32(byteRows ? 8 : 9);  // pattern header length
    b.u8(0);                  // packing type
    if (byteRows)
        b.u8(unsigned(pattern.rows - 1));
    else
        b.u16(unsigned(pattern.rows));
    size_t sizeAt = b.size();
    b.u16(0);
    size_t start = b.size();
    for (int row = 0; row < pattern.rows; ++row) {
        for (int ch = 0; ch < channels; ++ch) {
            XmCell cell = ch < pattern.channels ? pattern.at(row, ch) : XmCell{};
            unsigned mask = (cell.note ? 1u : 0u) | (cell.instrument ? 2u : 0u) |
                            (cell.volume ? 4u : 0u) | (cell.effect ? 8u : 0u) |
                            (cell.param ? 16u : 0u);
            if (mask == 31) {
                b.u8(cell.note);
                b.u8(cell.instrument);
                b.u8(cell.volume);
                b.u8(cell.effect);
                b.u8(cell.param);
                continue;
            }
            b.u8(0x80 | mask);
            if (mask & 1) b.u8(cell.note);
            if (mask & 2) b.u8(cell.instrument);
            if (mask & 4) b.u8(cell.volume);
            if (mask & 8) b.u8(cell.effect);
            if (mask & 16) b.u8(cell.param);
        }
    }
    b.patchU16(sizeAt, unsigned(b.size() - start));
}

void writeEnvelopePoints(Bytes& b, const XmEnvelope& envelope) {
    for (size_t i = 0; i < 12; ++i) {
        XmEnvelopePoint point = i < envelope.points.size() ? envelope.points[i] : XmEnvelopePoint{};
        b.u16(point.tick);
        b.u16(point.value);
    }
}

unsigned envelopeFlags(const XmEnvelope& envelope) {
    return (envelope.enabled ? 1u : 0u) | (envelope.sustain ? 2u : 0u) | (envelope.loop ? 4u : 0u);
}

// The instrument's header and its samples' headers; their data follows in writeSampleData.
void writeInstrumentHeaders(Bytes& b, const XmInstrument& instrument) {
    const unsigned headerSize = instrument.samples.empty() ? 29 : 263;
    size_t start = b.size();
    b.u32(headerSize);
    b.text(instrument.name, 22);
    b.u8(0);
    b.u16(unsigned(instrument.samples.size()));
    if (instrument.samples.empty()) return;
    b.u32(40);  // sample header size
    for (uint8_t entry : instrument.keymap) b.u8(entry);
    writeEnvelopePoints(b, instrument.volumeEnvelope);
    writeEnvelopePoints(b, instrument.panningEnvelope);
    b.u8(unsigned(std::min<size_t>(instrument.volumeEnvelope.points.size(), 12)));
    b.u8(unsigned(std::min<size_t>(instrument.panningEnvelope.points.size(), 12)));
    b.u8(instrument.volumeEnvelope.sustainPoint);
    b.u8(instrument.volumeEnvelope.loopStart);
    b.u8(instrument.volumeEnvelope.loopEnd);
    b.u8(instrument.panningEnvelope.sustainPoint);
    b.u8(instrument.panningEnvelope.loopStart);
    b.u8(instrument.panningEnvelope.loopEnd);
    b.u8(envelopeFlags(instrument.volumeEnvelope));
    b.u8(envelopeFlags(instrument.panningEnvelope));
    b.u8(instrument.vibratoType);
    b.u8(instrument.vibratoSweep);
    b.u8(instrument.vibratoDepth);
    b.u8(instrument.vibratoRate);
    b.u16(instrument.fadeout);
    b.zeros(headerSize - (b.size() - start));  // reserved

    for (const XmSample& sample : instrument.samples) {
        const uint32_t length = uint32_t(sample.data.size());
        const bool looped = sample.loopLength > 0;
        b.u32(length * 2);  // lengths are in bytes for 16-bit samples
        b.u32(looped ? sample.loopStart * 2 : 0);
        b.u32(looped ? sample.loopLength * 2 : 0);
        b.u8(sample.volume);
        b.u8(uint8_t(sample.finetune));
        b.u8((looped ? (sample.pingPong ? 2u : 1u) : 0u) | 0x10u);
        b.u8(sample.panning);
        b.u8(uint8_t(sample.relativeNote));
        b.u8(0);
        b.text(sample.name, 22);
    }
}

void writeSampleData(Bytes& b, const XmInstrument& instrument) {
    for (const XmSample& sample : instrument.samples) {
        int16_t previous = 0;
        for (int16_t value : sample.data) {
            b.u16(uint16_t(int16_t(value - previous)));
            previous = value;
        }
    }
}

void require(bool condition, const std::string& what) {
    if (!condition) throw std::invalid_argument("XM module: " + what);
}

void validate(const XmModule& module) {
    require(module.version >= 0x0102 && module.version <= 0x0104, "version 1.02 to 1.04");
    require(module.channels >= 1 && module.channels <= 32, "1 to 32 channels");
    require(!module.orders.empty() && module.orders.size() <= 256, "1 to 256 orders");
    require(module.patterns.size() <= 256, "at most 256 patterns");
    require(module.instruments.size() <= 128, "at most 128 instruments");
    require(module.restartPosition >= 0 && size_t(module.restartPosition) < module.orders.size(),
            "restart position inside the order list");
    require(module.speed >= 1 && module.speed <= 31, "speed 1..31");
    require(module.tempo >= 32 && module.tempo <= 255, "tempo 32..255");
    for (uint8_t order : module.orders) {
        require(order < module.patterns.size(), "orders refer to existing patterns");
    }
    for (const XmPattern& pattern : module.patterns) {
        require(pattern.rows >= 1 && pattern.rows <= 256, "patterns of 1 to 256 rows");
        require(pattern.cells.size() == size_t(pattern.rows) * size_t(pattern.channels),
                "pattern cells for every row and channel");
    }
    for (const XmInstrument& instrument : module.instruments) {
        require(instrument.samples.size() <= 16, "at most 16 samples per instrument");
        require(instrument.volumeEnvelope.points.size() <= 12 &&
                    instrument.panningEnvelope.points.size() <= 12,
                "at most 12 envelope points");
        for (uint8_t entry : instrument.keymap) {
            require(entry < std::max<size_t>(1, instrument.samples.size()),
                    "keymap entries refer to existing samples");
        }
        for (const XmSample& sample : instrument.samples) {
            require(sample.data.size() < (1u << 30), "samples below 2^30 frames");
            require(sample.loopLength == 0 ||
                        (sample.loopStart < sample.data.size() &&
                         sample.loopLength <= sample.data.size() - sample.loopStart),
                    "sample loops inside their sample");
        }
    }
}

}  // namespace

std::vector<uint8_t> writeXm(const XmModule& module) {
    validate(module);
    std::vector<uint8_t> out;
    Bytes b(out);
    b.text("Extended Module: ", 17);
    b.text(module.name, 20, ' ');
    b.u8(0x1A);
    b.text(module.tracker, 20, ' ');
    b.u16(unsigned(module.version));
    b.u32(20 + 256);  // header size from this field on
    b.u16(unsigned(module.orders.size()));
    b.u16(unsigned(module.restartPosition));
    b.u16(unsigned(module.channels));
    b.u16(unsigned(module.patterns.size()));
    b.u16(unsigned(module.instruments.size()));
    b.u16(module.linearFrequencies ? 1 : 0);
    b.u16(unsigned(module.speed));
    b.u16(unsigned(module.tempo));
    for (size_t i = 0; i < 256; ++i) b.u8(i < module.orders.size() ? module.orders[i] : 0);
    // From 1.04 on the patterns come first and each instrument's sample data follows its
    // headers; before, all instrument headers, then the patterns, then all sample data.
    if (module.version < 0x0104) {
        for (const XmInstrument& instrument : module.instruments)
            writeInstrumentHeaders(b, instrument);
    }
    for (const XmPattern& pattern : module.patterns)
        writePattern(b, pattern, module.channels, module.version);
    for (const XmInstrument& instrument : module.instruments) {
        if (module.version >= 0x0104) writeInstrumentHeaders(b, instrument);
        writeSampleData(b, instrument);
    }
    return out;
}

}  // namespace zuzor
