// The renderer's stamped events on generated modules: the order and frames at which rows
// are reached through jumps, breaks, loops, delays, tempo changes and restarts, and that
// a script cell never changes the sound.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "sync/song_renderer.h"
#include "tests/support/test_modules.h"

using namespace zuzor;

namespace {

constexpr int rate = 44100;

struct Collect final : SyncEventSink {
    std::vector<SyncEvent> events;
    void onEvent(const SyncEvent& event) override { events.push_back(event); }
};

// Frames in one tick at this tempo, as trackers count them (2.5 s / tempo).
int64_t tickFrames(int tempo) {
    return std::lround(rate * 2.5 / tempo);
}

std::unique_ptr<SongRenderer> renderer(const XmModule& module, bool repeat) {
    std::vector<uint8_t> bytes = testModuleBytes(module);
    std::string error;
    auto r = SongRenderer::create(bytes.data(), bytes.size(), rate, repeat, error);
    EXPECT_TRUE(r) << error;
    return r;
}

std::vector<SyncEvent> onePass(const XmModule& module) {
    auto r = renderer(module, false);
    Collect collect;
    while (r && !r->ended()) r->render(nullptr, 4096, collect);
    return collect.events;
}

std::vector<uint8_t> codes(const std::vector<SyncEvent>& events) {
    std::vector<uint8_t> out;
    for (const SyncEvent& e : events) out.push_back(e.code);
    return out;
}

void expectStampExact(const SyncEvent& event, int64_t rowStart) {
    EXPECT_EQ(int64_t(event.frame), rowStart) << "code " << int(event.code);
}

TEST(SyncRenderer, RowsAreStampedAtTheirStartAcrossSpeedAndTempo) {
    for (auto [speed, tempo] : {std::pair{6, 125}, {3, 150}, {1, 255}, {31, 32}, {4, 97}}) {
        TestModuleShape shape;
        shape.speed = speed;
        shape.tempo = tempo;
        shape.rows = 8;
        XmModule module = makeTestModule(shape);
        for (int row = 0; row < 8; ++row) putScriptEvent(module, 0, row, 1, uint8_t(row + 1));
        auto events = onePass(module);
        ASSERT_EQ(events.size(), 8u) << speed << "/" << tempo;
        for (int row = 0; row < 8; ++row) {
            EXPECT_EQ(events[row].row, row);
            expectStampExact(events[row], row * speed * tickFrames(tempo));
        }
    }
}

TEST(SyncRenderer, SeveralEventsOnOneRowComeInChannelOrder) {
    TestModuleShape shape;
    shape.scriptChannels = 3;
    XmModule module = makeTestModule(shape);
    putScriptEvent(module, 0, 2, 3, 0x17);
    putScriptEvent(module, 0, 2, 1, 0x15);
    putScriptEvent(module, 0, 2, 2, 0x16);
    putScriptEvent(module, 0, 2, 0, 0x14);  // the note channel carries script too
    auto events = onePass(module);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(codes(events), (std::vector<uint8_t>{0x14, 0x15, 0x16, 0x17}));
    for (const SyncEvent& e : events) EXPECT_EQ(e.frame, events[0].frame);
}

TEST(SyncRenderer, JumpAndBreakFollowPlaybackNotTheFile) {
    TestModuleShape shape;
    shape.orders = 4;
    shape.rows = 8;
    XmModule module = makeTestModule(shape);
    putScriptEvent(module, 0, 1, 1, 1);
    putEffect(module, 0, 1, 0, 0xB, 2);   // jump to order 2
    putScriptEvent(module, 1, 0, 1, 99);  // skipped
    putScriptEvent(module, 2, 0, 1, 2);
    putEffect(module, 2, 0, 0, 0xD, 0x05);  // break to row 5 of order 3
    putScriptEvent(module, 2, 1, 1, 98);    // skipped
    putScriptEvent(module, 3, 5, 1, 3);
    auto events = onePass(module);
    EXPECT_EQ(codes(events), (std::vector<uint8_t>{1, 2, 3}));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].order, 2);
    EXPECT_EQ(events[2].order, 3);
    EXPECT_EQ(events[2].row, 5);
    expectStampExact(events[1], 2 * 6 * tickFrames(125));
    expectStampExact(events[2], 3 * 6 * tickFrames(125));
}

TEST(SyncRenderer, PatternLoopReplaysItsRows) {
    TestModuleShape shape;
    shape.rows = 8;
    XmModule module = makeTestModule(shape);
    putEffect(module, 0, 1, 0, 0xE, 0x60);  // loop start
    putScriptEvent(module, 0, 1, 1, 1);
    putScriptEvent(module, 0, 2, 1, 2);
    putEffect(module, 0, 2, 0, 0xE, 0x62);  // play the loop twice more
    putScriptEvent(module, 0, 3, 1, 3);
    auto events = onePass(module);
    EXPECT_EQ(codes(events), (std::vector<uint8_t>{1, 2, 1, 2, 1, 2, 3}));
    const int64_t row = 6 * tickFrames(125);
    ASSERT_EQ(events.size(), 7u);
    for (size_t i = 0; i < 6; ++i) expectStampExact(events[i], int64_t(i + 1) * row);
    expectStampExact(events[6], 7 * row);
}

// A pattern delay replays its row in place: the row's cells come once per time the player
// plays it, each replay a row length after the last, and the rows after keep exact stamps.
TEST(SyncRenderer, PatternDelayReplaysItsRowAndMovesLaterRows) {
    TestModuleShape shape;
    shape.rows = 8;
    XmModule module = makeTestModule(shape);
    putEffect(module, 0, 1, 0, 0xE, 0xE2);  // row 1 plays three times
    putEffect(module, 0, 2, 0, 0xF, 0x03);  // speed 3 from row 2
    putEffect(module, 0, 4, 0, 0xF, 150);   // tempo 150 from row 4
    for (int row = 0; row < 6; ++row) putScriptEvent(module, 0, row, 1, uint8_t(row + 1));
    auto events = onePass(module);
    EXPECT_EQ(codes(events), (std::vector<uint8_t>{1, 2, 2, 2, 3, 4, 5, 6}));
    ASSERT_EQ(events.size(), 8u);
    const int64_t t125 = tickFrames(125);
    const int64_t starts[] = {0,         6 * t125,  12 * t125, 18 * t125,
                              24 * t125, 27 * t125, 30 * t125, 30 * t125 + 3 * tickFrames(150)};
    for (int i = 0; i < 8; ++i) expectStampExact(events[size_t(i)], starts[i]);
}

// A loop of one row (E62 on the pattern's first row, where every channel's loop starts)
// plays the row three times: three times its cells. A long row that is no replay (speed
// 31 at the slowest tempo) raises its cells once.
TEST(SyncRenderer, AOneRowLoopRaisesItsCellsOncePerPlay) {
    TestModuleShape shape;
    shape.rows = 4;
    shape.orders = 2;
    XmModule module = makeTestModule(shape);
    putEffect(module, 1, 0, 0, 0xE, 0x62);
    putScriptEvent(module, 1, 0, 1, 0x14);
    putScriptEvent(module, 1, 1, 1, 0x15);
    putEffect(module, 0, 2, 0, 0xF, 31);
    putEffect(module, 0, 3, 0, 0xF, 32);
    putScriptEvent(module, 0, 2, 1, 0x16);
    auto events = onePass(module);
    EXPECT_EQ(codes(events), (std::vector<uint8_t>{0x16, 0x14, 0x14, 0x14, 0x15}));
}

TEST(SyncRenderer, ARepeatingSongRaisesItsEventsOnEveryPass) {
    TestModuleShape shape;
    shape.rows = 4;
    shape.orders = 2;
    XmModule module = makeTestModule(shape);
    putScriptEvent(module, 0, 0, 1, 5);
    putScriptEvent(module, 1, 3, 1, 100);
    auto r = renderer(module, true);
    const int64_t pass = 8 * 6 * tickFrames(125);
    Collect collect;
    r->render(nullptr, size_t(3 * pass + 100), collect);
    EXPECT_EQ(codes(collect.events), (std::vector<uint8_t>{5, 100, 5, 100, 5, 100, 5}));
    ASSERT_EQ(collect.events.size(), 7u);
    expectStampExact(collect.events[6], 3 * pass);
    EXPECT_FALSE(r->ended());
}

TEST(SyncRenderer, OnePassEndsAtTheSongsLength) {
    TestModuleShape shape;
    shape.rows = 4;
    XmModule module = makeTestModule(shape);
    putScriptEvent(module, 0, 0, 1, 5);
    auto r = renderer(module, false);
    Collect collect;
    std::vector<float> audio(2 * 100000, 1.0f);
    const size_t got = r->render(audio.data(), 100000, collect);
    EXPECT_EQ(int64_t(got), 4 * 6 * tickFrames(125));
    EXPECT_TRUE(r->ended());
    EXPECT_EQ(collect.events.size(), 1u);  // not the restart row
    EXPECT_EQ(audio[2 * got], 0.0f);       // the rest is silence
}

TEST(SyncRenderer, AScriptCellLeavesTheAudioBitIdentical) {
    TestModuleShape shape;
    shape.rows = 16;
    shape.noteEvery = 2;
    XmModule plain = makeTestModule(shape);
    XmModule scripted = plain;
    for (int row = 0; row < 16; ++row) putScriptEvent(scripted, 0, row, 0, uint8_t(0x10 + row));
    putScriptEvent(scripted, 0, 3, 1, 0x7F);
    auto a = renderer(plain, false);
    auto b = renderer(scripted, false);
    std::vector<float> audioA(2 * 200000), audioB(2 * 200000);
    Collect ca, cb;
    size_t gotA = a->render(audioA.data(), 200000, ca);
    size_t gotB = b->render(audioB.data(), 200000, cb);
    ASSERT_EQ(gotA, gotB);
    EXPECT_EQ(cb.events.size(), 17u);
    bool anySound = false;
    for (float v : audioA) anySound |= v != 0.0f;
    EXPECT_TRUE(anySound);
    EXPECT_EQ(0, std::memcmp(audioA.data(), audioB.data(), audioA.size() * sizeof(float)));
}

TEST(SyncRenderer, RefusesWhatIsNotAnXmModule) {
    std::string error;
    const uint8_t junk[] =
        "this is not a module at all, not even close to one......"
        "...................................................";
    EXPECT_FALSE(SongRenderer::create(junk, sizeof junk, rate, false, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(SongRenderer::create(nullptr, 0, rate, false, error));
}

}  // namespace
