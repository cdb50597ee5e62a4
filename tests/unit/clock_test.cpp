// The run's clock on the host: the counter, the tick count and the nanoseconds measure the
// same time, and counter readings of a long-running host convert without overflow.
#include "base/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace zuzor;

namespace {

TEST(Clock, CountsBecomeNanosecondsWithoutOverflow) {
    constexpr int64_t day = 86400;
    // A 10 MHz counter after 30 days of uptime, and 100 ns more.
    EXPECT_EQ(countsToNs(10000000 * 30 * day + 1, 10000000), 30 * day * 1000000000 + 100);
    // A counter of an odd frequency (3.579545 MHz), a million seconds and one count in.
    EXPECT_EQ(countsToNs(3579545ll * 1000000 + 1, 3579545), 1000000ll * 1000000000 + 279);
    // A nanosecond counter near the end of its 292 years.
    EXPECT_EQ(countsToNs(9000000000000000000, 1000000000), 9000000000000000000);
}

// A counter read at the wrong frequency, or a tick count in other units, would measure a
// sleep differently from the other two.
TEST(Clock, CounterTickCountAndNanosecondsKeepOnePace) {
    int64_t frequency = 0;
    ASSERT_TRUE(counterFrequency(&frequency));
    const int64_t counterBefore = counterNow();
    const uint32_t ticksBefore = tickCountMs();
    const int64_t nsBefore = monotonicNs();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double counterMs = double(counterNow() - counterBefore) * 1000.0 / double(frequency);
    const double tickMs = double(uint32_t(tickCountMs() - ticksBefore));
    const double nsMs = double(monotonicNs() - nsBefore) / 1e6;
    EXPECT_GE(counterMs, 290.0);
    EXPECT_LT(counterMs, 5000.0);
    // A system tick count advances in steps of up to 16 ms.
    EXPECT_NEAR(tickMs, counterMs, 40.0);
    EXPECT_NEAR(nsMs, counterMs, 20.0);
}

}  // namespace
