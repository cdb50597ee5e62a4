// A bounds-checked walk over an XM 1.04 file: header, order table and every pattern's
// cells, packed or not. Nothing is read outside the buffer; any doubt refuses the file.
#include "sync/xm_script.h"

#include <algorithm>
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

// Walks one pattern's packed data [at, end). False when a cell runs past the end.
bool walkPattern(const uint8_t* data, size_t at, size_t end, int pattern, int rows, int channels,
                 std::vector<Found>& found) {
    for (int row = 0; row < rows; ++row) {
        for (int channel = 0; channel < channels; ++channel) {
            if (at >= end) return false;
            uint8_t flags = data[at];
            size_t effectAt = 0;
            size_t paramAt = 0;
            if (flags & 0x80) {
                ++at;
                // note, instrument, volume, effect, parameter: one byte each when flagged
                for (int bit = 0; bit < 5; ++bit) {
                    if (!(flags & (1 << bit))) continue;
                    if (at >= end) return false;
                    if (bit == 3) effectAt = at;
                    if (bit == 4) paramAt = at;
                    ++at;
                }
            } else {
                if (end - at < 5) return false;
                effectAt = at + 3;
                paramAt = at + 4;
                at += 5;
            }
            if (effectAt && data[effectAt] == zEffect) {
                uint8_t code = paramAt ? data[paramAt] : 0;
                found.push_back({{uint16_t(pattern), uint16_t(row), uint8_t(channel), code},
                                 effectAt,
                                 paramAt});
            }
        }
    }
    return true;
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
    if (in.u16(58) != 0x0104) {
        error = "unsupported XM version (only 1.04 is read)";
        return false;
    }
    const uint32_t headerSize = in.u32(headerSizeAt);
    const int songLength = in.u16(64);
    const int channels = in.u16(68);
    const int patterns = in.u16(70);
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
    for (int pattern = 0; pattern < patterns; ++pattern) {
        if (!in.has(at, 9)) {
            error = "pattern header truncated";
            return false;
        }
        const uint32_t patternHeaderSize = in.u32(at);
        int rows = in.u16(at + 5);
        const uint16_t packedSize = in.u16(at + 7);
        if (rows == 0) rows = 64;  // what trackers make of a zero row count
        if (patternHeaderSize < 9 || rows > maxRows || !in.has(at, patternHeaderSize) ||
            !in.has(at + patternHeaderSize, packedSize)) {
            error = "pattern " + std::to_string(pattern) + " header bad or data truncated";
            return false;
        }
        const size_t begin = at + patternHeaderSize;
        const size_t end = begin + packedSize;
        if (packedSize > 0 && !walkPattern(data, begin, end, pattern, rows, channels, found)) {
            error = "pattern " + std::to_string(pattern) + " data ends inside a row";
            return false;
        }
        script.patternRows.push_back(uint16_t(rows));
        at = end;
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
