// The script of an XM module: every Zxx cell of its pattern data, read by our own walk
// of the file, and a copy of the file with those cells blanked for the mixer (which
// would otherwise run Z as a filter macro and change the sound of the channel).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zuzor {

// One Zxx cell of the pattern data.
struct ScriptCell {
    uint16_t pattern;
    uint16_t row;
    uint8_t channel;
    uint8_t code;  // the Zxx parameter
};

struct SongScript {
    // Every Z cell, sorted by pattern, row and channel.
    std::vector<ScriptCell> cells;
    // Row lookup: the cells of (pattern p, row r) are cells[first .. first+count) with
    // first = rowFirst[patternRowBase[p] + r] and the next entry as the end.
    std::vector<uint32_t> patternRowBase;
    std::vector<uint32_t> rowFirst;
    std::vector<uint16_t> patternRows;
    int channels = 0;
    std::vector<uint8_t> orders;

    // The cells at (pattern, row); empty for a pattern or row the file does not have.
    const ScriptCell* rowBegin(int pattern, int row) const;
    const ScriptCell* rowEnd(int pattern, int row) const;
};

struct ScriptedModule {
    SongScript script;
    std::vector<uint8_t> mixerCopy;  // the file with every Z cell's effect and parameter cleared
};

// Reads an XM file of version 1.02, 1.03 or 1.04. False, with a reason in `error`, when the
// data is not such a module or its header or order table lies outside the buffer. Pattern
// data that ends early gives the rows that are there, and a file that ends before a
// pattern's header has no more patterns, as the mixer plays them.
bool readScriptedModule(const uint8_t* data, size_t size, ScriptedModule& out, std::string& error);

}  // namespace zuzor
