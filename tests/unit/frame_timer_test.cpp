// The frame timer against a fake clock: both sources, the threshold, the wrap.
#include "base/frame_timer.h"

#include <gtest/gtest.h>

using namespace zuzor;

namespace {

struct FakeClock final : TimeSource {
    static inline bool hasCounter = true;
    static inline int64_t frequency = 1000000;
    static inline int64_t count = 0;
    static inline uint32_t tickMs = 0;

    bool counterFrequency(int64_t* f) const override {
        if (!hasCounter) return false;
        *f = frequency;
        return true;
    }
    int64_t counter() const override { return count; }
    uint32_t tickCountMs() const override { return tickMs; }
    static const TimeSource* source() {
        static const FakeClock s;
        return &s;
    }
};

class FrameTimerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FakeClock::hasCounter = true;
        FakeClock::frequency = 1000000;
        FakeClock::count = 5000000;
        FakeClock::tickMs = 0;
    }
    FrameTimer timer{};
};

TEST_F(FrameTimerTest, CounterReadingsKeepTheirFraction) {
    timer.start(FakeClock::source());
    EXPECT_TRUE(timer.highResolution());
    EXPECT_FLOAT_EQ(timer.elapsedMs(), 0.0f);
    FakeClock::count += 12345;  // 12.345 ms at 1 MHz
    EXPECT_NEAR(timer.elapsedMs(), 12.345f, 1e-3f);
}

TEST_F(FrameTimerTest, FiftyMillisecondsIsNotMoreThanFifty) {
    timer.start(FakeClock::source());
    FakeClock::count += 50000;  // exactly 50 ms at 1 MHz reads 50.0
    EXPECT_FLOAT_EQ(timer.elapsedMs(), 50.0f);
    EXPECT_FALSE(timer.elapsedMs() > 50.0f);
    FakeClock::count += 1;
    EXPECT_TRUE(timer.elapsedMs() > 50.0f);
}

TEST_F(FrameTimerTest, ResetStartsOverWithoutCatchingUp) {
    timer.start(FakeClock::source());
    FakeClock::count += 10 * 1000000;  // a ten-second stall
    EXPECT_GT(timer.elapsedMs(), 9999.0f);
    timer.reset();
    EXPECT_FLOAT_EQ(timer.elapsedMs(), 0.0f);
}

TEST_F(FrameTimerTest, WithoutCounterFallsBackToWholeMilliseconds) {
    FakeClock::hasCounter = false;
    FakeClock::tickMs = 1000;
    timer.start(FakeClock::source());
    EXPECT_FALSE(timer.highResolution());
    FakeClock::tickMs = 1051;
    EXPECT_FLOAT_EQ(timer.elapsedMs(), 51.0f);
    timer.reset();
    EXPECT_FLOAT_EQ(timer.elapsedMs(), 0.0f);
}

TEST_F(FrameTimerTest, TickCountWrapGivesTheSmallDifference) {
    FakeClock::hasCounter = false;
    FakeClock::tickMs = 0xFFFFFFF0u;
    timer.start(FakeClock::source());
    FakeClock::tickMs = 0x00000010u;
    EXPECT_FLOAT_EQ(timer.elapsedMs(), 32.0f);
}

// The jump's hand-over: the show clock's time since the last tick goes on on the run's clock.
TEST_F(FrameTimerTest, ContinuingOnAnotherClockKeepsThePhase) {
    timer.start(FakeClock::source());
    FakeClock::count += 30000;
    timer.continueOn(nullptr);
    EXPECT_TRUE(timer.highResolution());
    EXPECT_NEAR(timer.elapsedMs(), 30.0f, 5.0f);
    FakeClock::count += 1000000;  // the fake clock is no longer read
    EXPECT_LT(timer.elapsedMs(), 500.0f);
}

TEST(FrameTimerSystem, RealClockStartsNearZero) {
    FrameTimer timer{};
    timer.start();
    EXPECT_TRUE(timer.highResolution());
    float first = timer.elapsedMs();
    EXPECT_GE(first, 0.0f);
    EXPECT_LT(first, 50.0f);
}

}  // namespace
