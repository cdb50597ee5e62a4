// The XM script reader: which cells it finds in packed and unpacked data, in every version
// the mixer plays and in patterns whose data ends early, what it blanks for the mixer, and
// that damaged files are refused without reading out of bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include <libopenmpt/libopenmpt.h>

#include "sync/song_renderer.h"
#include "sync/xm_script.h"
#include "tests/support/test_modules.h"

using namespace zuzor;

namespace {

ScriptedModule read(const std::vector<uint8_t>& bytes) {
    ScriptedModule out;
    std::string error;
    EXPECT_TRUE(readScriptedModule(bytes.data(), bytes.size(), out, error)) << error;
    return out;
}

XmModule scriptedModule() {
    TestModuleShape shape;
    shape.rows = 12;
    shape.orders = 2;
    shape.scriptChannels = 2;
    XmModule module = makeTestModule(shape);
    putScriptEvent(module, 0, 3, 2, 0x14);
    putScriptEvent(module, 0, 3, 1, 0x64);
    putScriptEvent(module, 1, 11, 1, 0x00);  // Z00: stored packed without a parameter byte
    // An unpacked cell: every field present.
    XmCell& full = module.patterns[1].at(5, 0);
    full = {49, 1, 0x40, 35, 0x2E};
    return module;
}

TEST(SyncScript, FindsEveryZCellInPatternRowChannelOrder) {
    ScriptedModule m = read(testModuleBytes(scriptedModule()));
    const auto& cells = m.script.cells;
    ASSERT_EQ(cells.size(), 4u);
    auto at = [](const ScriptCell& c) {
        return std::tuple(int(c.pattern), int(c.row), int(c.channel), int(c.code));
    };
    EXPECT_EQ(at(cells[0]), std::tuple(0, 3, 1, 0x64));
    EXPECT_EQ(at(cells[1]), std::tuple(0, 3, 2, 0x14));
    EXPECT_EQ(at(cells[2]), std::tuple(1, 5, 0, 0x2E));
    EXPECT_EQ(at(cells[3]), std::tuple(1, 11, 1, 0x00));

    EXPECT_EQ(m.script.rowEnd(0, 3) - m.script.rowBegin(0, 3), 2);
    EXPECT_EQ(m.script.rowEnd(0, 4) - m.script.rowBegin(0, 4), 0);
    EXPECT_EQ(m.script.rowBegin(1, 11)->code, 0);
    EXPECT_EQ(m.script.rowBegin(2, 0), nullptr);   // no such pattern
    EXPECT_EQ(m.script.rowBegin(0, 12), nullptr);  // no such row
    EXPECT_EQ(m.script.orders, (std::vector<uint8_t>{0, 1}));
}

TEST(SyncScript, TheMixerCopyDiffersOnlyInTheScriptCells) {
    XmModule module = scriptedModule();
    XmModule blanked = module;
    for (XmPattern& p : blanked.patterns)
        for (XmCell& c : p.cells)
            if (c.effect == 35) {
                c.effect = 0;
                c.param = 0;
            }
    std::vector<uint8_t> original = testModuleBytes(module);
    ScriptedModule m = read(original);
    ASSERT_EQ(m.mixerCopy.size(), original.size());
    size_t differing = 0;
    for (size_t i = 0; i < original.size(); ++i) differing += m.mixerCopy[i] != original[i];
    EXPECT_EQ(differing, 7u);  // effect and parameter of three cells, the Z00 effect alone
    ScriptedModule again = read(m.mixerCopy);
    EXPECT_TRUE(again.script.cells.empty());
}

TEST(SyncScript, EveryTruncationIsReadOrRefusedCleanly) {
    std::vector<uint8_t> bytes = testModuleBytes(scriptedModule());
    // Patterns end where the instruments begin; the reader needs nothing after them.
    size_t accepted = 0;
    for (size_t length = 0; length < bytes.size(); ++length) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(length));
        cut.shrink_to_fit();  // so that a read past the end is a read past the allocation
        ScriptedModule out;
        std::string error;
        if (readScriptedModule(cut.data(), cut.size(), out, error))
            ++accepted;
        else
            EXPECT_FALSE(error.empty());
    }
    EXPECT_GT(accepted, 0u);  // the instrument data is not the reader's business
}

TEST(SyncScript, DamagedHeadersAndPatternsAreRefused) {
    const std::vector<uint8_t> good = testModuleBytes(scriptedModule());
    auto refused = [](std::vector<uint8_t> bytes) {
        ScriptedModule out;
        std::string error;
        return !readScriptedModule(bytes.data(), bytes.size(), out, error);
    };
    auto patch16 = [&](size_t at, unsigned v) {
        std::vector<uint8_t> b = good;
        b[at] = uint8_t(v);
        b[at + 1] = uint8_t(v >> 8);
        return b;
    };
    EXPECT_TRUE(refused(patch16(58, 0x0105)));  // versions other than 1.02 to 1.04
    EXPECT_TRUE(refused(patch16(58, 0x0101)));
    EXPECT_TRUE(refused(patch16(68, 0)));       // no channels
    EXPECT_TRUE(refused(patch16(70, 300)));     // too many patterns
    EXPECT_TRUE(refused(patch16(60, 0xFFFF)));  // header beyond the file
    const size_t pattern0 = 60 + 276;
    EXPECT_TRUE(refused(patch16(pattern0 + 5, 257)));  // too many rows
    std::vector<uint8_t> notXm = good;
    notXm[0] = 'X';
    EXPECT_TRUE(refused(notXm));
    ScriptedModule out;
    std::string error;
    EXPECT_FALSE(readScriptedModule(nullptr, 0, out, error));
}

// The mixer's view of a module: its pattern row counts, and one cell's effect parameter.
struct Mixed {
    openmpt_module* module;
    explicit Mixed(const std::vector<uint8_t>& bytes)
        : module(openmpt_module_create_from_memory2(
              bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
              openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr)) {}
    ~Mixed() { openmpt_module_destroy(module); }
    std::vector<uint16_t> rows() const {
        std::vector<uint16_t> out;
        for (int p = 0; p < openmpt_module_get_num_patterns(module); ++p)
            out.push_back(uint16_t(openmpt_module_get_pattern_num_rows(module, p)));
        return out;
    }
    int param(int pattern, int row, int channel) const {
        return openmpt_module_get_pattern_row_channel_command(module, pattern, row, channel,
                                                              OPENMPT_MODULE_COMMAND_PARAMETER);
    }
};

struct Collect final : SyncEventSink {
    std::vector<std::tuple<int, int, int>> events;  // pattern, row, code
    void onEvent(const SyncEvent& e) override { events.emplace_back(e.pattern, e.row, e.code); }
};

// 1.02 and 1.03 put the instrument headers before the patterns, and 1.02 keeps a
// pattern's row count in a byte: the same module in each version gives the same script,
// the mixer sees the same rows, the script's cells are blanked for it at their true
// places, and one pass raises the same events.
TEST(SyncScript, VersionsOneOhTwoToOneOhFourReadTheSameScript) {
    XmModule module = scriptedModule();
    XmPattern longest(256, module.channels);  // the most a byte-sized count holds
    std::copy(module.patterns[1].cells.begin(), module.patterns[1].cells.end(),
              longest.cells.begin());
    module.patterns[1] = longest;
    putScriptEvent(module, 1, 255, 1, 0x17);
    std::vector<std::tuple<int, int, int, int>> expectedCells;
    std::vector<std::tuple<int, int, int>> expectedEvents;
    for (int version : {0x0104, 0x0103, 0x0102}) {
        SCOPED_TRACE(version);
        module.version = version;
        const std::vector<uint8_t> bytes = testModuleBytes(module);
        ScriptedModule m = read(bytes);
        std::vector<std::tuple<int, int, int, int>> cells;
        for (const ScriptCell& c : m.script.cells)
            cells.emplace_back(c.pattern, c.row, c.channel, c.code);
        Mixed original(bytes), blanked(m.mixerCopy);
        ASSERT_NE(original.module, nullptr);
        ASSERT_NE(blanked.module, nullptr);
        EXPECT_EQ(original.rows(), m.script.patternRows);
        EXPECT_EQ(original.param(0, 3, 1), 0x64);
        EXPECT_EQ(blanked.param(0, 3, 1), 0);
        EXPECT_EQ(original.param(1, 255, 1), 0x17);
        EXPECT_EQ(blanked.param(1, 255, 1), 0);

        std::string error;
        auto renderer = SongRenderer::create(bytes.data(), bytes.size(), 44100, false, error);
        ASSERT_TRUE(renderer) << error;
        Collect collect;
        while (!renderer->ended()) renderer->render(nullptr, 8192, collect);
        if (version == 0x0104) {
            expectedCells = cells;
            expectedEvents = collect.events;
            EXPECT_EQ(cells.size(), 5u);
        }
        EXPECT_EQ(cells, expectedCells);
        EXPECT_EQ(collect.events, expectedEvents);
    }
}

// Pattern data that ends before the pattern's last row, as the mixer plays it: the rows
// that are there, the rest empty, a cell cut in the middle read as far as it goes.
TEST(SyncScript, APatternWhoseDataEndsEarlyHoldsTheRowsThatAreThere) {
    const std::vector<uint8_t> good = testModuleBytes(scriptedModule());
    const size_t pattern0 = 60 + 276;
    // Data for rows 0 to 2 only under a count of 12: the row 3 cells are not there.
    {
        XmModule shorter = scriptedModule();
        XmPattern cut(3, shorter.channels);
        std::copy(shorter.patterns[0].cells.begin(),
                  shorter.patterns[0].cells.begin() + long(cut.cells.size()), cut.cells.begin());
        shorter.patterns[0] = cut;
        std::vector<uint8_t> bytes = testModuleBytes(shorter);
        bytes[pattern0 + 5] = 12;
        ScriptedModule m = read(bytes);
        EXPECT_EQ(m.script.patternRows[0], 12);
        ASSERT_EQ(m.script.cells.size(), 2u);
        EXPECT_EQ(m.script.cells[0].pattern, 1);
        Mixed mixed(bytes);
        ASSERT_NE(mixed.module, nullptr);
        EXPECT_EQ(mixed.rows(), m.script.patternRows);
    }
    // The file itself ends inside pattern 1's data, on the Z cell of row 5 (note,
    // instrument, volume, 'Z', 0x2E unpacked): cut after its effect byte, it reads as Z00.
    {
        std::vector<uint8_t> bytes = good;
        size_t z = 0;
        for (size_t i = pattern0; i + 4 < bytes.size(); ++i)
            if (bytes[i] == 49 && bytes[i + 1] == 1 && bytes[i + 2] == 0x40 && bytes[i + 3] == 35 &&
                bytes[i + 4] == 0x2E)
                z = i;
        ASSERT_GT(z, 0u);
        bytes.resize(z + 4);
        bytes.shrink_to_fit();
        ScriptedModule m = read(bytes);
        ASSERT_EQ(m.script.cells.size(), 3u);
        EXPECT_EQ(m.script.cells[2].row, 5);
        EXPECT_EQ(m.script.cells[2].code, 0);
    }
}

TEST(SyncScript, RandomDamageNeverReadsOutsideTheBuffer) {
    const std::vector<uint8_t> good = testModuleBytes(scriptedModule());
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int trial = 0; trial < 3000; ++trial) {
        std::vector<uint8_t> bytes = good;
        const int flips = 1 + int(next() % 4);
        for (int i = 0; i < flips; ++i) {
            // Damage mostly the header and pattern area, where the reader looks.
            size_t at = 58 + next() % 400;
            if (at < bytes.size()) bytes[at] = uint8_t(next() >> 24);
        }
        bytes.resize(60 + next() % (bytes.size() - 60));
        bytes.shrink_to_fit();
        ScriptedModule out;
        std::string error;
        if (readScriptedModule(bytes.data(), bytes.size(), out, error)) {
            EXPECT_EQ(out.mixerCopy.size(), bytes.size());
            for (const ScriptCell& c : out.script.cells) EXPECT_LT(c.channel, out.script.channels);
        }
    }
}

}  // namespace
