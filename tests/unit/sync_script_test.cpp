// The XM script reader: which cells it finds in packed and unpacked data, what it
// blanks for the mixer, and that damaged files are refused without reading out of bounds.
#include <gtest/gtest.h>

#include <cstring>

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

TEST(SyncScript, EveryTruncationIsRefusedCleanly) {
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
    EXPECT_TRUE(refused(patch16(58, 0x0103)));  // other versions lay out differently
    EXPECT_TRUE(refused(patch16(68, 0)));       // no channels
    EXPECT_TRUE(refused(patch16(70, 300)));     // too many patterns
    EXPECT_TRUE(refused(patch16(60, 0xFFFF)));  // header beyond the file
    const size_t pattern0 = 60 + 276;
    EXPECT_TRUE(refused(patch16(pattern0 + 5, 257)));  // too many rows
    EXPECT_TRUE(refused(patch16(pattern0 + 5, 13)));   // rows beyond the packed data
    EXPECT_TRUE(refused(patch16(pattern0 + 7, 3)));    // packed data shorter than the rows
    std::vector<uint8_t> notXm = good;
    notXm[0] = 'X';
    EXPECT_TRUE(refused(notXm));
    ScriptedModule out;
    std::string error;
    EXPECT_FALSE(readScriptedModule(nullptr, 0, out, error));
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
