// Writes the smoke program's module field by field in the XM layout (little-endian).
#include "tiny_module.h"

#include <cstring>
#include <string>

namespace smoke {
namespace {

class Writer {
  public:
    void u8(unsigned v) { bytes_.push_back(static_cast<std::uint8_t>(v)); }
    void u16(unsigned v) { u8(v & 0xff), u8(v >> 8); }
    void u32(std::uint32_t v) { u16(v & 0xffff), u16(v >> 16); }
    void zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    // A fixed-size text field, padded with zeros.
    void text(const std::string& s, std::size_t size) {
        bytes_.insert(bytes_.end(), s.begin(), s.begin() + std::min(s.size(), size));
        zeros(size - std::min(s.size(), size));
    }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

  private:
    std::vector<std::uint8_t> bytes_;
};

constexpr unsigned kChannels = 2;
constexpr unsigned kRows = 16;
constexpr unsigned kSampleLength = 32;

void writeHeader(Writer& w) {
    w.text("Extended Module: ", 17);
    w.text("zuzor smoke", 20);
    w.u8(0x1a);
    w.text("zuzor", 20);
    w.u16(0x0104);
    w.u32(276);  // header size, counted from this field
    w.u16(1);    // song length
    w.u16(0);    // restart position
    w.u16(kChannels);
    w.u16(1);  // patterns
    w.u16(1);  // instruments
    w.u16(1);  // linear frequency table
    w.u16(6);  // ticks per row
    w.u16(125);
    w.zeros(256);  // order table: pattern 0 only
}

// Channel 0 steps through a C major arpeggio on every other row; channel 1 holds a low C.
void writePattern(Writer& w) {
    static const unsigned kArpeggio[] = {49, 53, 56, 61};  // C-4 E-4 G-4 C-5
    Writer cells;
    for (unsigned row = 0; row < kRows; ++row) {
        if (row % 2 == 0) {
            cells.u8(0x80 | 0x01 | 0x02);  // packed cell: note and instrument follow
            cells.u8(kArpeggio[(row / 2) % 4]);
            cells.u8(1);
        } else {
            cells.u8(0x80);
        }
        if (row == 0) {
            cells.u8(0x80 | 0x01 | 0x02 | 0x04);  // note, instrument and volume follow
            cells.u8(37);                         // C-3
            cells.u8(1);
            cells.u8(0x10 + 0x20);  // set volume 32
        } else {
            cells.u8(0x80);
        }
    }
    const std::vector<std::uint8_t> packed = cells.take();
    w.u32(9);  // pattern header size
    w.u8(0);   // packing type
    w.u16(kRows);
    w.u16(static_cast<unsigned>(packed.size()));
    for (std::uint8_t b : packed) w.u8(b);
}

void writeInstrument(Writer& w) {
    w.u32(263);  // instrument header size
    w.text("square", 22);
    w.u8(0);
    w.u16(1);                               // samples
    w.u32(40);                              // sample header size
    w.zeros(96 + 48 + 48 + 2 + 6 + 2 + 4);  // keymap, envelopes, their points, vibrato
    w.u16(0);                               // fadeout
    w.zeros(22);
    // sample header
    w.u32(kSampleLength);
    w.u32(0);
    w.u32(kSampleLength);  // the whole sample loops
    w.u8(40);              // volume
    w.u8(0);               // finetune
    w.u8(1);               // forward loop, 8-bit
    w.u8(128);             // centre panning
    w.u8(0);               // relative note
    w.u8(0);
    w.text("square", 22);
    // 8-bit sample data is stored as deltas from the previous value
    int previous = 0;
    for (unsigned i = 0; i < kSampleLength; ++i) {
        const int value = i < kSampleLength / 2 ? 60 : -60;
        w.u8(static_cast<unsigned>((value - previous) & 0xff));
        previous = value;
    }
}

}  // namespace

std::vector<std::uint8_t> makeTinyModule() {
    Writer w;
    writeHeader(w);
    writePattern(w);
    writeInstrument(w);
    return w.take();
}

}  // namespace smoke
