// The show's committed module, Data/ZUZOR.XM: both libopenmpt and libxmp load it with the
// shape its score gives, its script (read straight from the file's pattern data) holds every
// acting event and ends on the logo and then the quit, and it plays 2 to 3 minutes without
// coming near clipping.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

#include "authoring/score_compiler.h"
#include "demo/sync_codes.h"

using namespace zuzor;

namespace {

std::string sourcePath(const std::string& relative) {
    return std::string(ZUZOR_SOURCE_DIR) + "/" + relative;
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const Score& showScore() {
    static const Score score =
        parseScore(readText(sourcePath("authoring/show/zuzor.score")), "zuzor.score");
    return score;
}

const std::vector<uint8_t>& showBytes() {
    static const std::vector<uint8_t> bytes = [] {
        std::string text = readText(sourcePath("Data/ZUZOR.XM"));
        return std::vector<uint8_t>(text.begin(), text.end());
    }();
    return bytes;
}

int scriptChannel() {
    const auto& names = showScore().channels;
    return int(std::find(names.begin(), names.end(), kScriptChannel) - names.begin());
}

// ---- A pattern reader of our own, independent of the writer ----

struct FileCell {
    uint8_t note = 0, instrument = 0, volume = 0, effect = 0, param = 0;
};
struct FilePattern {
    int rows = 0;
    std::vector<FileCell> cells;  // rows x channels
};
struct FileModule {
    int channels = 0;
    std::vector<uint8_t> orders;
    std::vector<FilePattern> patterns;
};

class Reader {
  public:
    explicit Reader(const std::vector<uint8_t>& bytes) : b_(bytes) {}
    unsigned u8(size_t at) const {
        if (at >= b_.size()) throw std::runtime_error("XM file ends early");
        return b_[at];
    }
    unsigned u16(size_t at) const { return u8(at) | u8(at + 1) << 8; }
    uint32_t u32(size_t at) const { return u16(at) | uint32_t(u16(at + 2)) << 16; }

  private:
    const std::vector<uint8_t>& b_;
};

FileModule readPatterns(const std::vector<uint8_t>& bytes) {
    Reader r(bytes);
    FileModule m;
    const uint32_t headerSize = r.u32(60);
    const unsigned orderCount = r.u16(64);
    m.channels = int(r.u16(68));
    const unsigned patternCount = r.u16(70);
    for (unsigned i = 0; i < orderCount; ++i) m.orders.push_back(uint8_t(r.u8(80 + i)));
    size_t at = 60 + headerSize;
    for (unsigned p = 0; p < patternCount; ++p) {
        FilePattern pattern;
        pattern.rows = int(r.u16(at + 5));
        const unsigned packedSize = r.u16(at + 7);
        size_t pos = at + r.u32(at);
        const size_t end = pos + packedSize;
        for (int cell = 0; cell < pattern.rows * m.channels; ++cell) {
            FileCell c;
            unsigned mask = r.u8(pos);
            if (mask & 0x80) {
                ++pos;
            } else {
                mask = 0x1F;
            }
            if (mask & 1) c.note = uint8_t(r.u8(pos++));
            if (mask & 2) c.instrument = uint8_t(r.u8(pos++));
            if (mask & 4) c.volume = uint8_t(r.u8(pos++));
            if (mask & 8) c.effect = uint8_t(r.u8(pos++));
            if (mask & 16) c.param = uint8_t(r.u8(pos++));
            pattern.cells.push_back(c);
        }
        if (pos != end) throw std::runtime_error("pattern " + std::to_string(p) + " size mismatch");
        m.patterns.push_back(std::move(pattern));
        at = end;
    }
    return m;
}

struct ScriptEvent {
    int order, row, channel;
    uint8_t code;
};

// Walks the song as it plays, order by order, row by row, channel by channel.
std::vector<ScriptEvent> scriptEvents(const FileModule& m) {
    std::vector<ScriptEvent> events;
    for (size_t order = 0; order < m.orders.size(); ++order) {
        const FilePattern& pattern = m.patterns.at(m.orders[order]);
        for (int row = 0; row < pattern.rows; ++row) {
            for (int ch = 0; ch < m.channels; ++ch) {
                const FileCell& c = pattern.cells[size_t(row) * size_t(m.channels) + size_t(ch)];
                if (c.effect == 35) events.push_back({int(order), row, ch, c.param});
            }
        }
    }
    return events;
}

const std::set<int> kActingCodes = {2,  3,  4,  5,  12, 13, 14, 15, 20, 21, 22,
                                    23, 24, 25, 26, 28, 29, 30, 31, 32, 46, 100};

// ---- The readers ----

struct OpenMptModule {
    explicit OpenMptModule(const std::vector<uint8_t>& bytes)
        : m(openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
                                               nullptr, nullptr, nullptr, nullptr, nullptr)) {}
    ~OpenMptModule() {
        if (m) openmpt_module_destroy(m);
    }
    openmpt_module* m;
};

TEST(ShowModule, LibopenmptLoadsItWithTheScoresShape) {
    OpenMptModule mod(showBytes());
    ASSERT_NE(mod.m, nullptr);
    EXPECT_EQ(openmpt_module_get_num_orders(mod.m), int(showScore().order.size()));
    EXPECT_EQ(openmpt_module_get_num_channels(mod.m), int(showScore().channels.size()));
    EXPECT_EQ(openmpt_module_get_num_instruments(mod.m), int(showScore().instruments.size()));
    EXPECT_EQ(openmpt_module_get_num_patterns(mod.m), int(showScore().patterns.size()));
    // The player sees the script as Z commands on the script channel.
    const ScriptEvent first = scriptEvents(readPatterns(showBytes())).front();
    const int pattern = openmpt_module_get_order_pattern(mod.m, first.order);
    const char* effect = openmpt_module_format_pattern_row_channel_command(
        mod.m, pattern, first.row, first.channel, OPENMPT_MODULE_COMMAND_EFFECT);
    EXPECT_STREQ(effect, "Z");
    openmpt_free_string(effect);
    EXPECT_EQ(openmpt_module_get_pattern_row_channel_command(
                  mod.m, pattern, first.row, first.channel, OPENMPT_MODULE_COMMAND_PARAMETER),
              first.code);
}

TEST(ShowModule, LibxmpLoadsItWithTheScoresShape) {
    xmp_context ctx = xmp_create_context();
    ASSERT_EQ(xmp_load_module_from_memory(ctx, showBytes().data(), long(showBytes().size())), 0);
    xmp_module_info info;
    xmp_get_module_info(ctx, &info);
    EXPECT_EQ(info.mod->len, int(showScore().order.size()));
    EXPECT_EQ(info.mod->chn, int(showScore().channels.size()));
    EXPECT_EQ(info.mod->ins, int(showScore().instruments.size()));
    EXPECT_EQ(info.mod->pat, int(showScore().patterns.size()) + 1);  // plus libxmp's empty one
    for (int i = 0; i < info.mod->ins; ++i) {
        EXPECT_EQ(info.mod->xxi[i].nsm, 1) << i;
        EXPECT_GT(info.mod->xxs[info.mod->xxi[i].sub[0].sid].len, 0) << i;
    }
    xmp_release_module(ctx);
    xmp_free_context(ctx);
}

// ---- The script ----

TEST(ShowModule, PlaysStraightThroughItsOrders) {
    // No jumps, breaks or pattern loops, so the order walk above is the order of play.
    const FileModule m = readPatterns(showBytes());
    for (const FilePattern& p : m.patterns) {
        for (const FileCell& c : p.cells) {
            EXPECT_NE(c.effect, 0xB);
            EXPECT_NE(c.effect, 0xD);
            EXPECT_FALSE(c.effect == 0xE && (c.param >> 4) == 0x6);
        }
    }
}

TEST(ShowModule, ScriptStaysOnItsOwnChannel) {
    const FileModule m = readPatterns(showBytes());
    const int script = scriptChannel();
    ASSERT_LT(script, m.channels);
    for (const FilePattern& p : m.patterns) {
        for (int row = 0; row < p.rows; ++row) {
            for (int ch = 0; ch < m.channels; ++ch) {
                const FileCell& c = p.cells[size_t(row) * size_t(m.channels) + size_t(ch)];
                if (ch == script) {
                    EXPECT_TRUE(c.note == 0 && c.instrument == 0 && c.volume == 0);
                    EXPECT_TRUE(c.effect == 35 || (c.effect == 0 && c.param == 0));
                } else {
                    EXPECT_NE(c.effect, 35) << "row " << row << " channel " << ch;
                }
            }
        }
    }
}

TEST(ShowModule, ScriptUsesEveryActingCodeAndNothingElse) {
    std::map<int, int> counts;
    for (const ScriptEvent& e : scriptEvents(readPatterns(showBytes()))) ++counts[e.code];
    for (int code : kActingCodes) EXPECT_GT(counts[code], 0) << "code " << code;
    for (const auto& [code, count] : counts) {
        EXPECT_TRUE(kActingCodes.count(code)) << "code " << code << " does nothing";
    }
    EXPECT_EQ(counts[100], 1);
    EXPECT_EQ(counts[46], 1);
}

TEST(ShowModule, LogoComesSecondsBeforeTheQuitThatEndsTheScript) {
    const std::vector<ScriptEvent> events = scriptEvents(readPatterns(showBytes()));
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().code, Z64);
    auto logo = std::find_if(events.begin(), events.end(),
                             [](const ScriptEvent& e) { return e.code == Z2E; });
    ASSERT_NE(logo, events.end());
    OpenMptModule mod(showBytes());
    ASSERT_NE(mod.m, nullptr);
    const double logoAt = openmpt_module_set_position_order_row(mod.m, logo->order, logo->row);
    const double quitAt =
        openmpt_module_set_position_order_row(mod.m, events.back().order, events.back().row);
    EXPECT_GE(quitAt - logoAt, 3.0);
    EXPECT_LE(quitAt - logoAt, 10.0);
}

// ---- The sound ----

struct Render {
    double peak = 0.0;
    double seconds = 0.0;
    std::vector<float> samples;
};

Render render(const std::vector<uint8_t>& bytes, bool keep) {
    Render out;
    OpenMptModule mod(bytes);
    if (!mod.m) return out;
    std::vector<float> buffer(2 * 4096);
    size_t frames = 0;
    while (size_t got =
               openmpt_module_read_interleaved_float_stereo(mod.m, 44100, 4096, buffer.data())) {
        for (size_t i = 0; i < 2 * got; ++i)
            out.peak = std::max(out.peak, double(std::fabs(buffer[i])));
        if (keep) out.samples.insert(out.samples.end(), buffer.begin(), buffer.begin() + 2 * got);
        frames += got;
    }
    out.seconds = double(frames) / 44100.0;
    return out;
}

TEST(ShowModule, PeakStaysBelowMinusOneDbfsForTwoToThreeMinutes) {
    const Render r = render(showBytes(), false);
    EXPECT_GT(r.peak, 0.1);  // it does make a sound
    EXPECT_LT(20.0 * std::log10(r.peak), -1.0);
    EXPECT_GE(r.seconds, 120.0);
    EXPECT_LE(r.seconds, 180.0);
}

TEST(ShowModule, ScriptCommandsMakeNoSound) {
    // The same song without its script must sound exactly the same: the player may read
    // Zxx as a sound command of its own, and the script must never be heard.
    XmModule silentScript = buildModule(showScore(), "zuzor.score");
    const int script = scriptChannel();
    for (XmPattern& p : silentScript.patterns) {
        for (int row = 0; row < p.rows; ++row) p.at(row, script) = XmCell{};
    }
    const Render with = render(showBytes(), true);
    const Render without = render(writeXm(silentScript), true);
    ASSERT_EQ(with.samples.size(), without.samples.size());
    EXPECT_TRUE(with.samples == without.samples);
}

}  // namespace
