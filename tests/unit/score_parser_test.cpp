// The score reader: what a well-formed score turns into, and the line-numbered messages
// for the mistakes a person editing a score makes.
#include "authoring/score_parser.h"

#include <gtest/gtest.h>

#include <string>

using namespace zuzor;

namespace {

// Line numbers:           1                     2          3            4
const std::string kHead =
    "title \"Test song\"\nspeed 4\ntempo 140\nchannels lead script\n"
    // 5                  6                  7         8
    "instrument LD \"Lead\"\n  synth lead  voices=1\n  volume 40\nend\n";

Score parse(const std::string& body) {
    return parseScore(kHead + body, "t.score");
}

// The message and line of the error a score raises.
ScoreError errorOf(const std::string& body) {
    try {
        parse(body);
    } catch (const ScoreError& e) {
        return e;
    }
    ADD_FAILURE() << "no error for:\n" << body;
    return ScoreError("t.score", -1, "none");
}

TEST(ScoreParser, ReadsSettingsInstrumentsPatternsAndOrder) {
    Score s = parse(
        "pattern a\n"
        "00 | C-4 LD v40 A0F | --- .. ... Z14 |\n"
        "01 | C#4 LD -4      |                |\n"
        "   | off            | ... .. ... Z64 |\n"
        "end\n"
        "pattern b   # comments may follow\n"
        "00 | B-7 .. p8 037 |  |\n"
        "end\n"
        "order a b\norder a\n");
    EXPECT_EQ(s.title, "Test song");
    EXPECT_EQ(s.speed, 4);
    EXPECT_EQ(s.tempo, 140);
    ASSERT_EQ(s.channels.size(), 2u);
    ASSERT_EQ(s.instruments.size(), 1u);
    EXPECT_EQ(s.instruments[0].voice.kind, "lead");
    EXPECT_EQ(s.instruments[0].voice.params.at("voices"), 1.0);
    EXPECT_EQ(s.instruments[0].sample.volume, 40);
    EXPECT_EQ(s.order, (std::vector<int>{0, 1, 0}));
    ASSERT_EQ(s.patterns[0].rows, 3);

    const XmPattern& a = s.patterns[0];
    EXPECT_EQ(a.at(0, 0).note, 49);  // C-4
    EXPECT_EQ(a.at(0, 0).instrument, 1);
    EXPECT_EQ(a.at(0, 0).volume, 0x50);
    EXPECT_EQ(a.at(0, 0).effect, 10);
    EXPECT_EQ(a.at(0, 0).param, 0x0F);
    EXPECT_EQ(a.at(0, 1).effect, 35);  // Z
    EXPECT_EQ(a.at(0, 1).param, 0x14);
    EXPECT_EQ(a.at(1, 0).note, 50);  // the '#' of a sharp is no comment
    EXPECT_EQ(a.at(1, 0).volume, 0x64);
    EXPECT_EQ(a.at(2, 0).note, 97);
    EXPECT_EQ(a.at(2, 1).param, 0x64);
    const XmCell& b = s.patterns[1].at(0, 0);
    EXPECT_EQ(b.note, 96);  // B-7, the top
    EXPECT_EQ(b.volume, 0xC8);
    EXPECT_EQ(b.effect, 0);
    EXPECT_EQ(b.param, 0x37);
}

TEST(ScoreParser, ReadsEnvelopesAndVibrato) {
    Score s = parseScore(
        "channels x\n"
        "instrument P \"Pad\"\n"
        " synth pad\n"
        " volenv 0:0 30:52 80:44 sustain 2\n"
        " panenv 0:22 150:42 300:22 loop 0 2\n"
        " vibrato square sweep=10 depth=2 rate=6\n"
        " fadeout 0300\n"
        "end\n"
        "pattern p\n| C-4 P |\nend\norder p\n",
        "t.score");
    const XmInstrument& xm = s.instruments[0].xm;
    ASSERT_EQ(xm.volumeEnvelope.points.size(), 3u);
    EXPECT_TRUE(xm.volumeEnvelope.sustain);
    EXPECT_EQ(xm.volumeEnvelope.sustainPoint, 2);
    EXPECT_EQ(xm.volumeEnvelope.points[1].tick, 30);
    EXPECT_TRUE(xm.panningEnvelope.loop);
    EXPECT_EQ(xm.panningEnvelope.loopEnd, 2);
    EXPECT_EQ(xm.vibratoType, 1);
    EXPECT_EQ(xm.vibratoSweep, 10);
    EXPECT_EQ(xm.fadeout, 300);
}

TEST(ScoreParser, CellMistakesNameTheirLine) {
    struct Case {
        std::string body;
        int line;
        std::string says;
    };
    const Case cases[] = {
        {"pattern a\n00 | C-4 XX | |\nend\norder a\n", 10, "unknown instrument 'XX'"},
        {"pattern a\n00 | H-4 LD | |\nend\norder a\n", 10, "'H-4' is not a note"},
        {"pattern a\n00 | C-8 LD | |\nend\norder a\n", 10, "'C-8' is not a note"},
        {"pattern a\n00 | C-4 LD v41 | |\nend\norder a\n", 10, "above v40"},
        {"pattern a\n00 | C-4 LD v40 A0 | |\nend\norder a\n", 10, "not an effect"},
        {"pattern a\n00 | C-4 LD |\nend\norder a\n", 10, "this one has 1"},
        {"pattern a\n00 | | |\n02 | | |\nend\norder a\n", 11, "row label '02' where row 01"},
        {"pattern a\n00 | ... .. ... Z14 | |\nend\norder a\n", 10, "Zxx belongs on the script"},
        {"pattern a\n00 | | C-4 LD |\nend\norder a\n", 10, "script channel holds only Zxx"},
        {"pattern a\n00 | | ... .. ... A04 |\nend\norder a\n", 10, "script channel holds only Zxx"},
    };
    for (const Case& c : cases) {
        ScoreError e = errorOf(c.body);
        EXPECT_EQ(e.line, c.line) << c.body;
        EXPECT_NE(e.message.find(c.says), std::string::npos) << e.what();
        EXPECT_EQ(std::string(e.what()).rfind("t.score:" + std::to_string(c.line) + ": ", 0), 0u)
            << e.what();
    }
}

TEST(ScoreParser, StructureMistakesNameTheirLine) {
    struct Case {
        std::string body;
        int line;
        std::string says;
    };
    const Case cases[] = {
        {"pattern a\n00 | | |\nend\norder a b\n", 12, "unknown pattern 'b'"},
        {"pattern a\n00 | | |\n", 9, "has no 'end'"},
        {"pattern a\nend\norder a\n", 9, "has no rows"},
        {"tempo 20\n", 9, "outside 32..255"},
        {"volume 3\n", 9, "unknown statement 'volume'"},
        {"instrument LD \"Again\"\n synth kick\nend\n", 9, "declared twice"},
        {"instrument K \"Kick\"\n synth kick length=short\nend\n", 10, "needs a number"},
        {"instrument K \"Kick\"\n synth drum\nend\n", 10, "unknown synth kind 'drum'"},
        {"instrument K \"Kick\"\n volenv 0:0 5:70\nend\n", 10, "outside 0..64"},
        {"instrument K \"Kick\"\n volenv 0:0 5:10 sustain 3\nend\n", 10, "missing point"},
        {"instrument K \"Kick\"\n volume 10\nend\n", 9, "no 'synth' line"},
        {"pattern a\n00 | | |\nend\n", 0, "no order list"},
    };
    for (const Case& c : cases) {
        ScoreError e = errorOf(c.body);
        EXPECT_EQ(e.line, c.line) << c.body;
        EXPECT_NE(e.message.find(c.says), std::string::npos) << e.what();
    }
}

}  // namespace
