// The frame timer against a fake clock: both sources, the threshold, the wrap.
#include "base/frame_timer.h"

#include <gtest/gtest.h>

using namespace zuzor;

namespace {

struct FakeClock {
    static inline bool hasCounter = true;
    static inline int64_t frequency = 1000000;
    static inline int64_t count = 0;
    static inline uint32_t tickMs = 0;

    static bool counterFrequency(int64_t* f) {
        if (!hasCounter) return false;
        *f = frequency;
        return true;
    }
    static int64_t counter() { return count; }
    static uint32_t tickCountMs() { return tickMs; }
    static const TimeSource* source() {
        static const TimeSource s{counterFrequency, counter, tickCountMs};
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
        timer.source = FakeClock::source();
    }
    FrameTimer timer{};
};

TEST_F(FrameTimerTest, CounterReadingsKeepTheirFraction) {
    timer.start();
    EXPECT_EQ(timer.highResolution, 1);
    EXPECT_FLOAT_EQ(timer.elapsedMs(), 0.0f);
    FakeClock::count += 12345;  // 12.345 ms at 1 MHz
    EXPECT_NEAR(timer.elapsedMs(), 12.345f, 1e-3f);
}

TEST_F(FrameTimerTest, FiftyMillisecondsIsNotMoreThanFifty) {
    timer.start();
    FakeClock::count += 50000;  // exactly 50 ms at 1 MHz reads 50.0
    EXPECT_FLOAT_EQ(timer.elapsedMs(), 50.0f);
    EXPECT_FALSE(timer.elapsedMs() > 50.0f);
    FakeClock::count += 1;
    EXPECT_TRUE(timer.elapsedMs() > 50.0f);
}

TEST_F(FrameTimerTest, ResetStartsOverWithoutCatchingUp) {
    timer.start();
    FakeClock::count += 10 * 1000000;  // a ten-second stall
    EXPECT_GT(timer.elapsedMs(), 9999.0f);
    timer.reset();
    EXPECT_FLOAT_EQ(timer.elapsedMs(), 0.0f);
}

TEST_F(FrameTimerTest, WithoutCounterFallsBackToWholeMilliseconds) {
    FakeClock::hasCounter = false;
    FakeClock::tickMs = 1000;
    timer.start();
    EXPECT_EQ(timer.highResolution, 0);
    FakeClock::tickMs = 1051;
    EXPECT_FLOAT_EQ(timer.elapsedMs(), 51.0f);
    timer.reset();
    EXPECT_FLOAT_EQ(timer.elapsedMs(), 0.0f);
}

TEST_F(FrameTimerTest, TickCountWrapGivesTheSmallDifference) {
    FakeClock::hasCounter = false;
    FakeClock::tickMs = 0xFFFFFFF0u;
    timer.start();
    FakeClock::tickMs = 0x00000010u;
    EXPECT_FLOAT_EQ(timer.elapsedMs(), 32.0f);
}

TEST(FrameTimerSystem, RealClockStartsNearZero) {
    FrameTimer timer{};
    timer.start();
    EXPECT_EQ(timer.highResolution, 1);
    float first = timer.elapsedMs();
    EXPECT_GE(first, 0.0f);
    EXPECT_LT(first, 50.0f);
}

}  // namespace
