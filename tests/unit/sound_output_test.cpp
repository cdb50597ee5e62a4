// The sound output when its stream goes away: a stream of our own that the test can stall
// or fail stands in for a sound system. The music clock must go on at the same pace from
// the same frame on the silent clock, the music must never be rendered twice or by two
// threads at once, and the sound must come back when the stream can be opened again. An
// opening the output gave up on must never leave a stream playing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "base/clock.h"
#include "platform/device_clock.h"
#include "platform/output_backend.h"
#include "platform/sound_output.h"

using namespace zuzor;

namespace {

constexpr int rate = 44100;
constexpr size_t period = 512;

// Whether the stand-in sound system takes new streams, and what its streams do.
std::atomic<bool> serverUp{true};
std::atomic<bool> stallStreams{false};
std::atomic<bool> failStreams{false};
// Openings that wait inside the sound system until released, as a hanging server's do.
std::atomic<bool> holdOpenings{false};
std::atomic<bool> releaseHeld{false};
std::atomic<int> heldOpenings{0};
std::atomic<int> heldOpened{0};
std::atomic<int> liveStreams{0};
std::atomic<bool> pauseStreams{false};
std::atomic<double> stallLimit{150.0};

// A stream that asks for a period at the real-time pace and says each period leaves one
// period after it was asked for.
class TestStream final : public OutputBackend {
  public:
    explicit TestStream(StreamFeed& feed) : feed_(feed), thread_([this] { run(); }) {
        liveStreams.fetch_add(1);
    }
    ~TestStream() override {
        running_.store(false);
        thread_.join();
        liveStreams.fetch_sub(1);
    }
    const char* driver() const override { return "test stream"; }
    int bufferFrames() const override { return int(period); }
    double stallLimitMs() const override { return stallLimit.load(); }

  private:
    void run() {
        float buffer[period * 2];
        uint64_t written = 0;
        double start = monotonicMs();
        while (running_.load()) {
            if (failStreams.load()) feed_.postFailure("the test server failed");
            if (!stallStreams.load() && !failStreams.load() && !pauseStreams.load()) {
                feed_.render(buffer, period, written);
                written += period;
                feed_.postTiming(int64_t(written - 2 * period), monotonicMs());
            }
            // A thread that was not scheduled takes up at the time it is woken, the sound
            // system having played silence meanwhile.
            if (pauseStreams.load()) start = monotonicMs() - double(written) * 1000.0 / rate;
            const double next = start + double(written) * 1000.0 / rate;
            std::this_thread::sleep_for(
                std::chrono::microseconds(int64_t(std::max(500.0, (next - monotonicMs()) * 1000))));
        }
    }

    StreamFeed& feed_;
    std::atomic<bool> running_{true};
    std::thread thread_;
};

std::unique_ptr<OutputBackend> openTestStream(int, StreamFeed& feed, std::string& why) {
    if (holdOpenings.load()) {
        heldOpenings.fetch_add(1);
        while (!releaseHeld.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        auto stream = std::make_unique<TestStream>(feed);
        heldOpened.fetch_add(1);
        return stream;
    }
    if (!serverUp.load()) {
        why = "the test server is down";
        return nullptr;
    }
    return std::make_unique<TestStream>(feed);
}

// The music: every call must start where the last one ended, one call at a time.
std::atomic<uint64_t> nextFrame{0};
std::atomic<int> fillsInside{0};
std::atomic<int> overlaps{0};
std::atomic<int> gaps{0};

void checkedFill(float* out, size_t frames, uint64_t firstFrame) {
    if (fillsInside.fetch_add(1) != 0) overlaps.fetch_add(1);
    if (firstFrame != nextFrame.load()) gaps.fetch_add(1);
    nextFrame.store(firstFrame + frames);
    if (out)
        for (size_t i = 0; i < frames * 2; ++i) out[i] = 0.25f;
    fillsInside.fetch_sub(1);
}

// Watches the heard frame for `ms`, every 2 ms; fails on a step back or a jump, and
// returns how far it went.
int64_t watchHeard(double ms, int64_t& heard) {
    const double end = monotonicMs() + ms;
    const int64_t from = heard;
    double lastAt = monotonicMs();
    while (monotonicMs() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        serviceOutput();
        const double now = monotonicMs();
        const int64_t next = heardFrame();
        EXPECT_GE(next, heard);
        // A step of the clock is the time between two looks, and a period or two on top
        // where a stream's timing report moved it on.
        EXPECT_LE(next - heard, int64_t((now - lastAt) * rate / 1000.0) + 2 * int64_t(period));
        heard = next;
        lastAt = now;
    }
    return heard - from;
}

struct SoundOutputTest : ::testing::Test {
    void SetUp() override {
        serverUp = true;
        stallStreams = false;
        failStreams = false;
        pauseStreams = false;
        stallLimit = 150.0;
        nextFrame = 0;
        replaceOutputOpener(openTestStream);
    }
    void TearDown() override {
        closeOutput();
        replaceOutputOpener(nullptr);
        EXPECT_EQ(overlaps.load(), 0) << "two threads rendered the music at once";
        EXPECT_EQ(gaps.load(), 0) << "the music skipped or repeated frames";
    }
};

TEST_F(SoundOutputTest, StalledStreamHandsTheClockToTheSilentClockAndTheSoundComesBack) {
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(openOutput(rate, checkedFill).kind, OutputKind::device);
    int64_t heard = heardFrame();
    watchHeard(200, heard);
    ASSERT_GT(heard, 0);

    serverUp = false;
    stallStreams = true;
    const int64_t silent = watchHeard(600, heard);
    EXPECT_EQ(outputInfo().kind, OutputKind::silentClock);
    // The clock kept its pace through the stall: 600 ms of frames, less what the stall
    // took to be noticed (150 ms past the stream's buffer).
    EXPECT_GT(silent, int64_t(0.38 * rate));
    EXPECT_LT(silent, int64_t(0.62 * rate));

    stallStreams = false;
    serverUp = true;
    watchHeard(1200, heard);
    EXPECT_EQ(outputInfo().kind, OutputKind::device);
    EXPECT_STREQ(outputInfo().driver, "test stream");
    const int64_t back = watchHeard(300, heard);
    EXPECT_GT(back, int64_t(0.25 * rate));
    closeOutput();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "zuzor: the sound output stopped (it stopped asking for sound); the music runs "
              "silently\nzuzor: sound output back (test stream)\n");
}

// A busy machine leaves the stream's thread unscheduled for most of a second: with the
// limit the sound systems' streams keep, that is a late request and no stop.
TEST_F(SoundOutputTest, StreamLateBySchedulingIsNoStop) {
    ::testing::internal::CaptureStderr();
    stallLimit = period * 1000.0 / rate + stalledAfterMs;
    ASSERT_EQ(openOutput(rate, checkedFill).kind, OutputKind::device);
    int64_t heard = heardFrame();
    watchHeard(200, heard);
    pauseStreams = true;
    watchHeard(800, heard);
    pauseStreams = false;
    watchHeard(300, heard);
    EXPECT_EQ(outputInfo().kind, OutputKind::device);
    closeOutput();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(SoundOutputTest, FailedStreamIsLeftAtOnceAndRetriedUntilItOpens) {
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(openOutput(rate, checkedFill).kind, OutputKind::device);
    int64_t heard = heardFrame();
    watchHeard(100, heard);
    serverUp = false;
    failStreams = true;
    watchHeard(30, heard);
    EXPECT_EQ(outputInfo().kind, OutputKind::silentClock);
    failStreams = false;
    watchHeard(1200, heard);  // two retries fail
    EXPECT_EQ(outputInfo().kind, OutputKind::silentClock);
    serverUp = true;
    watchHeard(700, heard);
    EXPECT_EQ(outputInfo().kind, OutputKind::device);
    closeOutput();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "zuzor: the sound output stopped (the test server failed); the music runs "
              "silently\nzuzor: sound output back (test stream)\n");
}

// Closing while the recovery waits for a server, or right after a stream failed, neither
// hangs nor leaves a thread rendering.
TEST_F(SoundOutputTest, ClosingDuringRecoveryEndsEveryThread) {
    ::testing::internal::CaptureStderr();
    openOutput(rate, checkedFill);
    int64_t heard = heardFrame();
    watchHeard(50, heard);
    serverUp = false;
    failStreams = true;
    watchHeard(20, heard);
    const double before = monotonicMs();
    closeOutput();
    EXPECT_LT(monotonicMs() - before, 200.0);
    const uint64_t handed = handedFrames();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(handedFrames(), handed);
    ::testing::internal::GetCapturedStderr();
}

// The race of a recovery with the output's next life: the output closes while its recovery
// waits in a hanging sound system, opens again, and only then does the old opening succeed.
// The stream that opened late is closed by its own opening; the new one plays alone.
TEST_F(SoundOutputTest, OpeningThatSucceedsAfterTheOutputClosedLeavesNoStreamPlaying) {
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(openOutput(rate, checkedFill).kind, OutputKind::device);
    int64_t heard = heardFrame();
    watchHeard(100, heard);
    holdOpenings = true;
    releaseHeld = false;
    heldOpenings = 0;
    heldOpened = 0;
    stallStreams = true;
    for (int i = 0; i < 100 && heldOpenings.load() == 0; ++i) watchHeard(20, heard);
    ASSERT_EQ(heldOpenings.load(), 1) << "the recovery never tried to open a stream";
    EXPECT_EQ(outputInfo().kind, OutputKind::silentClock);
    EXPECT_EQ(liveStreams.load(), 0);

    const double before = monotonicMs();
    closeOutput();
    EXPECT_LT(monotonicMs() - before, 200.0) << "closing waited for the hanging opening";
    holdOpenings = false;
    stallStreams = false;
    nextFrame = 0;
    ASSERT_EQ(openOutput(rate, checkedFill).kind, OutputKind::device);
    heard = heardFrame();
    watchHeard(100, heard);
    EXPECT_EQ(liveStreams.load(), 1);

    releaseHeld = true;  // the old opening gets its stream now
    for (int i = 0; i < 100 && (heldOpened.load() == 0 || liveStreams.load() != 1); ++i)
        watchHeard(10, heard);
    EXPECT_EQ(heldOpened.load(), 1);
    const int64_t played = watchHeard(300, heard);
    EXPECT_EQ(liveStreams.load(), 1) << "a stream opened for the closed output still plays";
    EXPECT_EQ(outputInfo().kind, OutputKind::device);
    EXPECT_GT(played, int64_t(0.2 * rate));
    closeOutput();
    EXPECT_EQ(liveStreams.load(), 0);
    ::testing::internal::GetCapturedStderr();
}

}  // namespace

// The music clock from a stream's timing reports: jitter of a few milliseconds in the
// reports must not move it, one wild report must not either, and a stream whose timeline
// really moved (it ran dry) must move it within a few reports.
TEST(DeviceClockTest, FollowsTheReportsNotTheirJitter) {
    DeviceClock clock;
    int64_t frame = 0;
    EXPECT_FALSE(clock.frameAt(0.0, rate, frame));
    // Frame F leaves at F / 44.1 ms; each report comes 0..3 ms late.
    const auto report = [&](int i, double shiftMs, double lateMs) {
        const int64_t f = int64_t(i) * 441;
        clock.post(f, double(f) / 44.1 + shiftMs + lateMs, rate);
    };
    const auto errorMs = [&](double atMs, double shiftMs) {
        EXPECT_TRUE(clock.frameAt(atMs, rate, frame));
        return double(frame) / 44.1 + shiftMs - atMs;
    };
    for (int i = 0; i < 40; ++i) report(i, 0.0, (i * 7 % 4) * 1.0);
    EXPECT_NEAR(errorMs(400.0, 0.0), -1.5, 1.0);
    report(40, 0.0, 60.0);
    EXPECT_NEAR(errorMs(410.0, 0.0), -1.5, 1.0);
    for (int i = 41; i < 60; ++i) report(i, 25.0, (i * 7 % 4) * 1.0);
    EXPECT_NEAR(errorMs(600.0, 25.0), -1.5, 1.0);
}
