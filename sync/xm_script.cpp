// A bounds-checked walk over an XM file of version 1.02 to 1.04: header, order table,
// instrument headers where they come first, and every pattern's cells, packed or not.
// Nothing is read outside the buffer. What the mixer can play is read: a pattern whose data
// ends early holds the rows that are there.
#include "sync/xm_script.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zuzor {

namespace {

constexpr uint8_t zEffect = 35;  // 'Z' in the tracker's effect numbering
constexpr size_t headerSizeAt = 60;
constexpr size_t ordersAt = 80;
constexpr int maxPatterns = 256;
constexpr int maxRows = 256;
constexpr int maxChannels = 128;

class Reader {
  public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool has(size_t at, size_t count) const { return at <= size_ && count <= size_ - at; }
    uint16_t u16(size_t at) const { return uint16_t(data_[at] | (data_[at + 1] << 8)); }
    uint32_t u32(size_t at) const { return uint32_t(u16(at)) | (uint32_t(u16(at + 2)) << 16); }

  private:
    const uint8_t* data_;
    size_t size_;
};

struct Found {
    ScriptCell cell;
    size_t effectAt;
    size_t paramAt;  // 0 when the cell stores no parameter byte (then the code is 0)
};

// Walks one pattern's packed data [at, end). Data may end before the pattern does, as the
// mixer allows: the cells after its end are empty, and a cell cut short keeps the fields
// that are there (the mixer reads the missing ones as 0).
void walkPattern(const uint8_t* data, size_t at, size_t end, int pattern, int rows, int channels,
                 std::vector<Found>& found) {
    for (int row = 0; row < rows; ++row) {
        for (int channel = 0; channel < channels; ++channel) {
            if (at >= end) return;
            // Where note, instrument, volume, effect and parameter are; 0 when absent (the
            // file's header stands at 0, so no pattern byte does).
            size_t field[5] = {};
            const uint8_t flags = data[at];
            if (flags & 0x80) {
                ++at;
                for (int bit = 0; bit < 5; ++bit) {
                    if (!(flags & (1 << bit))) continue;
                    field[bit] = at < end ? at : 0;
                    ++at;
                }
            } else {
                for (int bit = 0; bit < 5; ++bit) field[bit] = at + bit < end ? at + bit : 0;
                at += 5;
            }
            const size_t effectAt = field[3];
            const size_t paramAt = field[4];
            if (effectAt && data[effectAt] == zEffect) {
                const uint8_t code = paramAt ? data[paramAt] : 0;
                found.push_back({{uint16_t(pattern), uint16_t(row), uint8_t(channel), code},
                                 effectAt,
                                 paramAt});
            }
        }
    }
}

// Before 1.04 the instrument and sample headers come before the patterns (the sample data
// after them): returns where the patterns begin, or `size` when the file ends first.
size_t skipInstrumentHeaders(const Reader& in, size_t at, int instruments, size_t size) {
    constexpr uint32_t fullHeader = 263;  // what a header length of 0 stands for
    constexpr size_t sampleHeader = 40;
    constexpr size_t sampleCountAt = 27;
    for (int i = 0; i < instruments; ++i) {
        if (!in.has(at, 4)) return size;
        uint32_t length = in.u32(at);
        if (length == 0) length = fullHeader;
        const size_t samples = length >= sampleCountAt + 2 && in.has(at + sampleCountAt, 2)
                                   ? in.u16(at + sampleCountAt)
                                   : 0;
        const uint64_t next = uint64_t(at) + length + samples * sampleHeader;
        if (next > size) return size;
        at = size_t(next);
    }
    return at;
}

}  // namespace

const ScriptCell* SongScript::rowBegin(int pattern, int row) const {
    if (pattern < 0 || size_t(pattern) >= patternRows.size() || row < 0 ||
        row >= patternRows[size_t(pattern)])
        return nullptr;
    return cells.data() + rowFirst[patternRowBase[size_t(pattern)] + size_t(row)];
}

const ScriptCell* SongScript::rowEnd(int pattern, int row) const {
    if (pattern < 0 || size_t(pattern) >= patternRows.size() || row < 0 ||
        row >= patternRows[size_t(pattern)])
        return nullptr;
    return cells.data() + rowFirst[patternRowBase[size_t(pattern)] + size_t(row) + 1];
}

bool readScriptedModule(const uint8_t* data, size_t size, ScriptedModule& out, std::string& error) {
    Reader in(data, size);
    static const char signature[] = "Extended Module: ";
    if (!data || !in.has(0, ordersAt) || std::memcmp(data, signature, 17) != 0) {
        error = "not an XM module";
        return false;
    }
    const unsigned version = in.u16(58);
    if (version < 0x0102 || version > 0x0104) {
        char text[8];
        std::snprintf(text, sizeof text, "%x.%02x", version >> 8, version & 0xFF);
        error = std::string("unsupported XM version ") + text + " (1.02 to 1.04 are read)";
        return false;
    }
    const uint32_t headerSize = in.u32(headerSizeAt);
    const int songLength = in.u16(64);
    const int channels = in.u16(68);
    const int patterns = in.u16(70);
    const int instruments = in.u16(72);
    if (channels < 1 || channels > maxChannels || patterns > maxPatterns || songLength > 256) {
        error = "XM header out of range";
        return false;
    }
    if (headerSize < 20 + uint32_t(songLength) || !in.has(headerSizeAt, headerSize) ||
        !in.has(ordersAt, size_t(songLength))) {
        error = "XM header truncated";
        return false;
    }

    SongScript script;
    script.channels = channels;
    script.orders.assign(data + ordersAt, data + ordersAt + songLength);

    std::vector<Found> found;
    size_t at = headerSizeAt + headerSize;
    if (version < 0x0104) at = skipInstrumentHeaders(in, at, instruments, size);
    // 1.02 stores a pattern's row count less one in a byte, and its packed size a byte earlier.
    const bool byteRows = version == 0x0102;
    const size_t fieldsEnd = byteRows ? 8 : 9;
    for (int pattern = 0; pattern < patterns; ++pattern) {
        // A file that ends before a pattern's header has no more patterns, for the mixer too.
        if (!in.has(at, fieldsEnd)) break;
        const uint32_t patternHeaderSize = in.u32(at);
        if (patternHeaderSize < 8 || !in.has(at, patternHeaderSize)) break;
        int rows = byteRows ? data[at + 5] + 1 : in.u16(at + 5);
        const uint16_t packedSize = in.u16(at + (byteRows ? 6 : 7));
        if (rows == 0) rows = 64;  // what trackers make of a zero row count
        if (rows > maxRows) {
            error = "pattern " + std::to_string(pattern) + " has more than 256 rows";
            return false;
        }
        const size_t begin = at + patternHeaderSize;
        const size_t end = std::min(size, begin + packedSize);
        walkPattern(data, begin, end, pattern, rows, channels, found);
        script.patternRows.push_back(uint16_t(rows));
        at = begin + packedSize;
    }

    // The walk produced cells in pattern, row, channel order already.
    script.patternRowBase.resize(script.patternRows.size());
    uint32_t base = 0;
    for (size_t p = 0; p < script.patternRows.size(); ++p) {
        script.patternRowBase[p] = base;
        base += script.patternRows[p];
    }
    script.rowFirst.assign(size_t(base) + 1, 0);
    size_t next = 0;
    for (size_t p = 0; p < script.patternRows.size(); ++p) {
        for (uint32_t r = 0; r < script.patternRows[p]; ++r) {
            script.rowFirst[script.patternRowBase[p] + r] = uint32_t(next);
            while (next < found.size() && found[next].cell.pattern == p &&
                   found[next].cell.row == r)
                ++next;
        }
    }
    script.rowFirst[base] = uint32_t(next);

    out.mixerCopy.assign(data, data + size);
    script.cells.reserve(found.size());
    for (const Found& f : found) {
        script.cells.push_back(f.cell);
        out.mixerCopy[f.effectAt] = 0;
        if (f.paramAt) out.mixerCopy[f.paramAt] = 0;
    }
    out.script = std::move(script);
    return true;
}

}  // namespace zuzor
