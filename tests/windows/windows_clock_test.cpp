// The Windows clock reads the performance counter at its own frequency and the system's
// tick count, the clocks the frame timer's two sources stand for.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/clock.h"

using namespace zuzor;

namespace {

TEST(WindowsClock, IsThePerformanceCounterAndTheTickCount) {
    LARGE_INTEGER frequency{}, before{}, after{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    int64_t ours = 0;
    ASSERT_TRUE(counterFrequency(&ours));
    EXPECT_EQ(ours, frequency.QuadPart);

    QueryPerformanceCounter(&before);
    const int64_t counter = counterNow();
    QueryPerformanceCounter(&after);
    EXPECT_GE(counter, before.QuadPart);
    EXPECT_LE(counter, after.QuadPart);

    const uint32_t ticksBefore = GetTickCount();
    const uint32_t ticks = tickCountMs();
    const uint32_t ticksAfter = GetTickCount();
    EXPECT_LE(uint32_t(ticks - ticksBefore), uint32_t(ticksAfter - ticksBefore));

    QueryPerformanceCounter(&before);
    const int64_t ns = monotonicNs();
    QueryPerformanceCounter(&after);
    EXPECT_GE(ns, countsToNs(before.QuadPart, frequency.QuadPart));
    EXPECT_LE(ns, countsToNs(after.QuadPart, frequency.QuadPart));
}

}  // namespace
