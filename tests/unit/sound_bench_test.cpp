// The sound bench's arithmetic: click onsets found in recorded chunks, and frames timed from
// the server's scattered timing reports.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/onset_detector.h"
#include "tests/support/stream_clock.h"

using namespace zuzor;

TEST(OnsetDetector, FindsEachClickOnceAcrossChunksAndRinging) {
    std::vector<float> stereo(2 * 1000, 0.0f);
    const auto click = [&](size_t frame, size_t length) {
        for (size_t i = 0; i < length; ++i) stereo[2 * (frame + i) + 1] = (i % 2 ? -0.5f : 0.5f);
    };
    click(98, 20);  // split by the chunk boundary at 100
    click(130, 5);  // ringing 12 frames after: still the same click
    click(300, 5);  // after a long enough quiet gap: a new click
    stereo[2 * 500] = NAN;
    OnsetDetector detector(0.1f, 50);
    std::vector<uint64_t> found;
    for (size_t first = 0; first < 1000; first += 100)
        for (uint64_t onset : detector.feed(&stereo[2 * first], 100, 2, 5000 + first))
            found.push_back(onset);
    EXPECT_EQ(found, (std::vector<uint64_t>{5098, 5300}));
}

TEST(StreamClock, TimesFramesFromTheMedianOfNearbyReports) {
    StreamClock clock(1000);  // one frame per ms
    EXPECT_TRUE(std::isnan(clock.leavesAtMs(0)));
    // Frame f leaves at 100 + f, reported with noise and one stale report.
    for (int k = 0; k < 20; ++k) clock.sample(uint64_t(k * 100), k * 100.0, 100.0 + (k % 3) - 1);
    clock.sample(1000, 900.0, 400.0);
    EXPECT_NEAR(clock.leavesAtMs(1000), 1100.0, 1.0);
    // After a step in the stream's timing (frames from 10000 on leave 30 ms later), the
    // frames there follow the reports near them.
    for (int k = 0; k < 20; ++k) clock.sample(uint64_t(10000 + k * 100), 9900.0 + k * 100, 230.0);
    EXPECT_NEAR(clock.leavesAtMs(11000), 11130.0, 1e-6);
    EXPECT_NEAR(clock.leavesAtMs(500), 600.0, 1.0);
}
