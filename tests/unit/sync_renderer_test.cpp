// The renderer's stamped events on generated modules: the order and frames at which rows
// are reached through jumps, breaks, loops, delays, tempo changes and restarts, and that
// a script cell never changes the sound.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <cstring>
#include <map>

#include "sync/song_renderer.h"
#include "tests/support/test_modules.h"

using namespace zuzor;

namespace {

constexpr int rate = 44100;

struct Collect final : SyncEventSink {
    std::vector<SyncEvent> events;
    void onEvent(const SyncEvent& event) override { events.push_back(event); }
};

// Frames in one tick at this tempo as the mixer plays it: 2.5 s / tempo, the fraction
// dropped (RowStartsMatchTheMixerAtEveryTempo holds this against the mixer).
int64_t tickFrames(int tempo) {
    return rate * 5 / (2 * tempo);
}

// The frames at which the mixer itself starts each new row of one pass, read from
// libopenmpt without our renderer: one instance finds the chunk a row change falls in, a
// second one, kept behind it, walks that chunk a frame at a time.
std::vector<int64_t> mixerRowStarts(const XmModule& module) {
    const std::vector<uint8_t> bytes = testModuleBytes(module);
    openmpt_module* ahead[2];
    for (openmpt_module*& m : ahead) {
        m = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
                                               nullptr, nullptr, nullptr, nullptr, nullptr);
        openmpt_module_set_repeat_count(m, 0);
        openmpt_module_ctl_set_text(m, "play.at_end", "stop");
    }
    openmpt_module *scout = ahead[0], *walker = ahead[1];
    std::vector<int64_t> starts{0};
    std::vector<float> audio(2 * 65536);
    int64_t scouted = 0, walked = 0;
    auto place = [](openmpt_module* m) {
        return std::pair{openmpt_module_get_current_order(m), openmpt_module_get_current_row(m)};
    };
    openmpt_module_read_interleaved_float_stereo(walker, rate, 1, audio.data());
    openmpt_module_read_interleaved_float_stereo(scout, rate, 1, audio.data());
    walked = scouted = 1;
    for (;;) {
        const auto before = place(scout);
        const size_t got =
            openmpt_module_read_interleaved_float_stereo(scout, rate, 32, audio.data());
        if (got < 32) break;
        scouted += 32;
        if (place(scout) == before) continue;
        // The change lies in the last chunk: bring the walker there, then frame by frame.
        const size_t skip = size_t(scouted - 32 - walked);
        for (size_t left = skip; left > 0;) {
            const size_t step = std::min<size_t>(left, 65536);
            openmpt_module_read_interleaved_float_stereo(walker, rate, step, audio.data());
            left -= step;
        }
        walked += int64_t(skip);
        const auto was = place(walker);
        while (place(walker) == was) {
            openmpt_module_read_interleaved_float_stereo(walker, rate, 1, audio.data());
            ++walked;
        }
        starts.push_back(walked - 1);
    }
    for (openmpt_module* m : ahead) openmpt_module_destroy(m);
    return starts;
}

std::unique_ptr<SongRenderer> renderer(const XmModule& module, bool repeat) {
    std::vector<uint8_t> bytes = testModuleBytes(module);
    std::string error;
    auto r = SongRenderer::create(bytes.data(), bytes.size(), rate, repeat, error);
    EXPECT_TRUE(r) << error;
    return r;
}

// One pass, the renderer asked for `callFrames` at a time, as a device callback asks.
std::vector<SyncEvent> onePass(const XmModule& module, size_t callFrames = 4096) {
    auto r = renderer(module, false);
    Collect collect;
    while (r && !r->ended()) r->render(nullptr, callFrames, collect);
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

// Every tempo a module can set, at the slowest and fastest speeds and one between: each
// row's Zxx comes once, stamped at the frame the mixer starts the row. The tick's length is
// 2.5 s / tempo with the fraction dropped; a rounded one is a frame long at half the tempos
// and made rows count as played twice.
TEST(SyncRenderer, RowStartsMatchTheMixerAtEveryTempo) {
    for (int tempo = 32; tempo <= 255; ++tempo) {
        for (int speed : {1, 6, 31}) {
            TestModuleShape shape;
            shape.speed = speed;
            shape.tempo = tempo;
            shape.rows = 3;
            XmModule module = makeTestModule(shape);
            const std::vector<int64_t> starts = mixerRowStarts(module);
            ASSERT_EQ(starts.size(), 3u) << speed << "/" << tempo;
            for (int row = 0; row < 3; ++row) putScriptEvent(module, 0, row, 1, uint8_t(row + 1));
            const auto events = onePass(module);
            ASSERT_EQ(events.size(), 3u) << "speed " << speed << " tempo " << tempo;
            for (int row = 0; row < 3; ++row) {
                EXPECT_EQ(events[row].row, row);
                EXPECT_EQ(int64_t(events[row].frame), starts[row])
                    << "speed " << speed << " tempo " << tempo << " row " << row;
                EXPECT_EQ(starts[row], row * speed * tickFrames(tempo));
            }
        }
    }
}

// The player renders in device callbacks of any size, the capture in chunks, the timeline
// in large blocks: a module with a Zxx on every row, pattern delays, one-row loops and tempo
// changes at tempos where a rounded tick would be a frame long gives every one of them the
// same events at the same frames, each row's once per time the mixer plays it.
TEST(SyncRenderer, EventsDoNotDependOnHowTheRenderingIsCut) {
    TestModuleShape shape;
    shape.tempo = 120;
    shape.rows = 16;
    shape.orders = 2;
    XmModule module = makeTestModule(shape);
    putEffect(module, 0, 3, 0, 0xE, 0xE1);  // row 3 plays twice
    putEffect(module, 0, 6, 0, 0xF, 33);    // tempo 33
    putEffect(module, 0, 7, 0, 0xF, 0x03);  // speed 3
    putEffect(module, 1, 0, 0, 0xE, 0x62);  // a loop of one row, played three times
    putEffect(module, 1, 2, 0, 0xF, 149);
    putEffect(module, 1, 5, 0, 0xE, 0xE3);  // row 5 plays four times
    int cells = 0;
    for (int order = 0; order < 2; ++order)
        for (int row = 0; row < 16; ++row, ++cells)
            putScriptEvent(module, order, row, 1, uint8_t(cells));
    const auto reference = onePass(module, 65536);
    ASSERT_EQ(reference.size(), size_t(cells + 1 + 2 + 3));
    std::vector<int> plays(size_t(cells), 0);
    for (const SyncEvent& e : reference) ++plays[e.code];
    EXPECT_EQ(plays[3], 2);
    EXPECT_EQ(plays[16], 3);
    EXPECT_EQ(plays[16 + 5], 4);
    for (size_t callFrames : {1, 7, 32, 333, 735, 1024, 4099}) {
        const auto events = onePass(module, callFrames);
        ASSERT_EQ(events.size(), reference.size()) << callFrames;
        for (size_t i = 0; i < events.size(); ++i) {
            EXPECT_EQ(events[i].code, reference[i].code) << callFrames << " #" << i;
            EXPECT_EQ(events[i].frame, reference[i].frame) << callFrames << " #" << i;
        }
    }
    // A row reached anew is stamped where the mixer starts it; a replay a whole row (at
    // the row's speed and tempo) after the play before it.
    const std::map<int, int64_t> replayGap = {
        {3, 6 * tickFrames(120)}, {16, 3 * tickFrames(33)}, {21, 3 * tickFrames(149)}};
    const std::vector<int64_t> starts = mixerRowStarts(module);
    size_t next = 0;
    for (size_t i = 0; i < reference.size(); ++i) {
        if (i > 0 && reference[i].code == reference[i - 1].code) {
            EXPECT_EQ(int64_t(reference[i].frame - reference[i - 1].frame),
                      replayGap.at(reference[i].code));
            continue;
        }
        ASSERT_LT(next, starts.size());
        EXPECT_EQ(int64_t(reference[i].frame), starts[next++]) << "#" << i;
    }
    EXPECT_EQ(next, starts.size());
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

namespace {

// A pass without sound (a jump's way through the show) meets the show's script exactly as
// the heard song does, at a fraction of the cost, and an audible copy made where it stops
// goes on as the song heard from the start: the same events at the same frames, and the
// same sound once the notes sounding at the jump have died away.
TEST(SyncRenderer, ASilentPassAndItsAudibleCopyGoOnAsTheHeardSong) {
    TestModuleShape shape;
    shape.orders = 4;
    shape.rows = 32;
    shape.noteEvery = 3;
    XmModule module = makeTestModule(shape);
    putEffect(module, 1, 5, 0, 0xF, 120);
    putEffect(module, 2, 9, 0, 0xF, 4);
    for (int order = 0; order < 4; ++order)
        for (int row = 0; row < 32; row += 5) putScriptEvent(module, order, row, 1, uint8_t(row));
    const std::vector<uint8_t> bytes = testModuleBytes(module);
    std::string error;
    auto heard = SongRenderer::create(bytes.data(), bytes.size(), rate, true, error);
    ASSERT_TRUE(heard) << error;
    const uint64_t stops[] = {uint64_t(3.3 * rate), uint64_t(9.1 * rate)};
    const uint64_t tail = 4 * uint64_t(rate);
    std::vector<float> heardSound(2 * (stops[1] + tail));
    Collect heardEvents;
    for (uint64_t at = 0; at < stops[1] + tail; at += 1000)
        heard->render(heardSound.data() + 2 * at,
                      size_t(std::min<uint64_t>(1000, stops[1] + tail - at)), heardEvents);

    for (uint64_t stop : stops) {
        auto pass = SongRenderer::create(bytes.data(), bytes.size(), rate, true, error);
        pass->silence();
        Collect passEvents;
        std::vector<float> sound(2 * 4096);
        for (uint64_t at = 0; at < stop; at += 4096)
            pass->render(sound.data(), size_t(std::min<uint64_t>(4096, stop - at)), passEvents);
        for (float v : sound) ASSERT_EQ(v, 0.0f);
        auto copy = pass->audibleCopy();
        ASSERT_TRUE(copy) << "at frame " << stop;
        std::vector<float> copySound(2 * tail);
        copy->render(copySound.data(), tail, passEvents);
        ASSERT_EQ(passEvents.events.size() + 0,
                  [&] {
                      size_t n = 0;
                      for (const SyncEvent& e : heardEvents.events) n += e.frame < stop + tail;
                      return n;
                  }())
            << "at frame " << stop;
        for (size_t i = 0; i < passEvents.events.size(); ++i) {
            EXPECT_EQ(passEvents.events[i].code, heardEvents.events[i].code);
            EXPECT_EQ(passEvents.events[i].frame, heardEvents.events[i].frame);
        }
        // The last two seconds of the stretch: the same sound.
        double differ = 0.0, energy = 0.0;
        for (size_t k = 2 * size_t(rate) * 2; k < copySound.size(); ++k) {
            const double want = heardSound[2 * stop + k];
            differ += (copySound[k] - want) * (copySound[k] - want);
            energy += want * want;
        }
        EXPECT_GT(energy, 0.0);
        EXPECT_LT(differ, 1e-6 * energy) << "at frame " << stop;
    }
}

}  // namespace
