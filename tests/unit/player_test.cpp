// The player end to end on generated modules: null handles, files that are not modules,
// and events pulled in order, once heard, on the silent clock and on SDL's dummy device,
// also when the output opened in the background; SDL's disk driver is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "platform/sound_output.h"
#include "sync/module_player.h"
#include "tests/support/test_env.h"
#include "tests/support/test_modules.h"

using namespace zuzor;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

struct Received {
    std::vector<uint8_t> codes;
    std::vector<HeardEvent> events;
    // For each event, how long before its pull the last poll that found nothing began: the
    // event fell due within that window.
    std::vector<double> dueWithinMs;
};

// A fast song (a row every 432 frames) with events 1..rows, one per row.
std::vector<uint8_t> countingModule(int rows) {
    TestModuleShape shape;
    shape.speed = 1;
    shape.tempo = 255;
    shape.rows = rows;
    XmModule module = makeTestModule(shape);
    for (int row = 0; row < rows; ++row) putScriptEvent(module, 0, row, 1, uint8_t(row + 1));
    return testModuleBytes(module);
}

// Pulls like the idle callback until `count` events arrived or a few seconds passed.
void pollFor(Song* song, Received& received, size_t count) {
    const double deadline = monotonicMs() + 5000.0;
    HeardEvent event;
    double emptyPollMs = monotonicMs();
    while (received.codes.size() < count && monotonicMs() < deadline) {
        // Taken before the poll: a thread held up between a poll and its stamp would
        // otherwise make a late pull look prompt.
        double pollMs = monotonicMs();
        while (pollHeardEvent(song, event)) {
            received.codes.push_back(event.code);
            received.events.push_back(event);
            received.dueWithinMs.push_back(event.pulledAtMs - emptyPollMs);
            pollMs = monotonicMs();
        }
        emptyPollMs = pollMs;
        std::this_thread::sleep_for(200us);
    }
}

// `settleEvents`: the first events are left out of the clock check, while a device clock
// still gathers its first reports.
void expectHeardInOrder(const Received& received, size_t count, size_t settleEvents = 0) {
    ASSERT_GE(received.codes.size(), count);
    for (size_t i = 0; i < count; ++i) EXPECT_EQ(received.codes[i], uint8_t(i % 16 + 1));
    for (size_t i = 1; i < received.events.size(); ++i)
        EXPECT_GT(received.events[i].outputFrame, received.events[i - 1].outputFrame);
    // Against the real-time clock: each event's applied time minus its place in the
    // music is the same offset plus however late the poll came. Only events pulled within
    // a millisecond of falling due count: the poll before found nothing less than a
    // millisecond earlier, and the clock puts the hearing less than a millisecond before
    // the pull (an event rendered late on a busy machine is pulled at once, but late, and
    // says nothing of the clock). Their offsets sit together. A clock that ran on rendered
    // rather than heard frames would hand over a buffer's events at once, spreading the
    // offsets over the buffer's length.
    std::vector<double> offsets;
    for (size_t i = 0; i < received.events.size(); ++i) {
        const HeardEvent& e = received.events[i];
        EXPECT_GE(e.pulledAtMs, e.heardAtMs);
        if (i >= settleEvents && received.dueWithinMs[i] < 1.0 && e.pulledAtMs - e.heardAtMs < 1.0)
            offsets.push_back(e.pulledAtMs - double(e.songFrame) * 1000.0 / 44100.0);
    }
    if (offsets.size() < 4) return;  // too busy a machine to tell
    std::sort(offsets.begin(), offsets.end());
    std::string spread;
    for (double offset : offsets) {
        char text[32];
        std::snprintf(text, sizeof text, " %.2f", offset - offsets[0]);
        spread += text;
    }
    EXPECT_LT(offsets[offsets.size() / 2] - offsets[0], 5.0)
        << "offsets above the least:" << spread;
}

OutputOptions deviceOff() {
    OutputOptions options;
    options.deviceOff = true;
    return options;
}

std::string tempDir() {
    std::random_device random;
    for (;;) {
        const fs::path dir =
            fs::temp_directory_path() / ("zuzor-player-" + std::to_string(random()));
        if (fs::create_directory(dir)) return dir.string();
    }
}

bool enter(const std::string& dir) {
    std::error_code error;
    fs::current_path(dir, error);
    return !error;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

TEST(Player, NullSongsAndBadFilesAreHarmless) {
    configureSoundOutput(deviceOff());
    openSoundOutput(44100);
    playSong(nullptr);
    HeardEvent event;
    EXPECT_FALSE(pollHeardEvent(nullptr, event));
    stopSong(nullptr);
    freeSong(nullptr);
    EXPECT_EQ(loadSong(nullptr), nullptr);
    EXPECT_EQ(loadSongFromMemory(nullptr, 10), nullptr);

    const std::string dir = tempDir();
    ASSERT_TRUE(enter(dir));
    fs::create_directory("Data");
    EXPECT_EQ(loadSong("Data\\MISSING.XM"), nullptr);
    writeFile("Data/TEXT.XM", std::vector<uint8_t>(500, 'x'));
    EXPECT_EQ(loadSong("Data\\TEXT.XM"), nullptr);
    fs::create_directory("Data/DIR.XM");
    EXPECT_EQ(loadSong("Data\\DIR.XM"), nullptr);
    std::vector<uint8_t> truncated = countingModule(4);
    truncated.resize(70);  // inside the header (cut inside a pattern, it still plays)
    writeFile("Data/CUT.XM", truncated);
    EXPECT_EQ(loadSong("Data\\CUT.XM"), nullptr);

    writeFile("Data/GOOD.XM", countingModule(4));
    SongHandle song = loadSong("Data\\GOOD.XM");
    ASSERT_NE(song, nullptr);
    song.reset();  // never played
    closeSoundOutput();
    closeSoundOutput();  // twice is harmless
}

TEST(Player, SilentClockDeliversEveryEventInOrderOnceHeard) {
    configureSoundOutput(deviceOff());
    EXPECT_FALSE(openSoundOutput(44100));
    EXPECT_EQ(outputInfo().kind, OutputKind::silentClock);
    std::vector<uint8_t> bytes = countingModule(16);
    SongHandle owned = loadSongFromMemory(bytes.data(), bytes.size());
    Song* song = owned.get();
    ASSERT_NE(song, nullptr);
    Received received;
    playSong(song);
    pollFor(song, received, 40);  // past the song's end: it starts again
    expectHeardInOrder(received, 40);
    stopSong(song);
    owned.reset();
    closeSoundOutput();
}

TEST(Player, StopDropsPendingEventsAndPlayStartsOver) {
    configureSoundOutput(deviceOff());
    openSoundOutput(44100);
    std::vector<uint8_t> bytes = countingModule(16);
    SongHandle owned = loadSongFromMemory(bytes.data(), bytes.size());
    Song* song = owned.get();
    Received received;
    playSong(song);
    pollFor(song, received, 5);
    stopSong(song);
    std::this_thread::sleep_for(50ms);
    HeardEvent event;
    EXPECT_FALSE(pollHeardEvent(song, event));

    received = Received{};
    playSong(song);
    pollFor(song, received, 3);
    ASSERT_GE(received.codes.size(), 3u);
    EXPECT_EQ(received.codes[0], 1);
    owned.reset();  // while playing
    closeSoundOutput();
}

TEST(Player, DummyDeviceDeliversOnTheDeviceClock) {
    OutputOptions latency;
    latency.latencyMs = 10.0;
    configureSoundOutput(latency);
    setEnv("SDL_AUDIODRIVER", "dummy");
    ASSERT_TRUE(openSoundOutput(44100));
    const OutputInfo info = outputInfo();
    EXPECT_EQ(info.kind, OutputKind::device);
    EXPECT_GT(info.deviceBufferFrames, 0);
    EXPECT_EQ(info.latencyFrames, 441);
    std::vector<uint8_t> bytes = countingModule(16);
    SongHandle owned = loadSongFromMemory(bytes.data(), bytes.size());
    Song* song = owned.get();
    Received received;
    playSong(song);
    pollFor(song, received, 40);
    expectHeardInOrder(received, 40, 10);
    owned.reset();
    closeSoundOutput();
}

// The demo opens the output in the background at start-up: Escape may close it before the
// opening has ended, and the music must wait for it.
TEST(Player, OutputOpenedInTheBackgroundIsAwaitedWhereItIsUsed) {
    configureSoundOutput({});
    setEnv("SDL_AUDIODRIVER", "dummy");
    beginOpeningSoundOutput(44100);
    beginOpeningSoundOutput(44100);  // already opening: nothing more
    closeSoundOutput();
    EXPECT_EQ(outputInfo().kind, OutputKind::closed);

    beginOpeningSoundOutput(44100);
    std::vector<uint8_t> bytes = countingModule(8);
    SongHandle owned = loadSongFromMemory(bytes.data(), bytes.size());
    playSong(owned.get());
    EXPECT_EQ(outputInfo().kind, OutputKind::device);
    Received received;
    pollFor(owned.get(), received, 8);
    expectHeardInOrder(received, 8);
    owned.reset();
    closeSoundOutput();
}

TEST(Player, TheDiskDriverIsRefusedAndNothingIsWritten) {
    configureSoundOutput({});
    const std::string dir = tempDir();
    const std::string file = dir + "/sdlaudio.raw";
    setEnv("SDL_AUDIODRIVER", "disk");
    setEnv("SDL_DISKAUDIOFILE", file.c_str());
    ASSERT_TRUE(enter(dir));
    EXPECT_FALSE(openSoundOutput(44100));
    EXPECT_EQ(outputInfo().kind, OutputKind::silentClock);
    std::vector<uint8_t> bytes = countingModule(8);
    SongHandle owned = loadSongFromMemory(bytes.data(), bytes.size());
    Song* song = owned.get();
    Received received;
    playSong(song);
    pollFor(song, received, 4);
    EXPECT_GE(received.codes.size(), 4u);
    owned.reset();
    closeSoundOutput();
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fs::exists(dir + "/sdlaudio.raw"));
}

// However the process ends, the output's thread ends with it: exit() from anywhere while a
// song plays, on the silent clock or on a device, gives the exit status and no abort.
TEST(Player, ExitWhilePlayingEndsTheProcessCleanly) {
    for (const char* audio : {"off", "dummy"}) {
        EXPECT_EXIT(
            {
                if (std::string(audio) == "off") {
                    configureSoundOutput(deviceOff());
                } else {
                    configureSoundOutput({});
                    setEnv("SDL_AUDIODRIVER", audio);
                }
                openSoundOutput(44100);
                std::vector<uint8_t> bytes = countingModule(16);
                playSong(loadSongFromMemory(bytes.data(), bytes.size()).release());
                std::this_thread::sleep_for(50ms);
                std::exit(3);
            },
            ::testing::ExitedWithCode(3), "")
            << audio;
    }
}

}  // namespace
