// The profile's percentiles are times that were really measured (nearest rank).
#include <gtest/gtest.h>

#include "capture/render_profile.h"

using namespace zuzor;

TEST(CaptureProfile, NearestRankPercentiles) {
    std::vector<double> values;
    for (int i = 100; i >= 1; --i) values.push_back(double(i));  // unsorted on purpose
    const Percentiles p = percentilesOf(values);
    EXPECT_EQ(p.p50, 50.0);
    EXPECT_EQ(p.p99, 99.0);
    EXPECT_EQ(p.max, 100.0);
    EXPECT_DOUBLE_EQ(p.mean, 50.5);

    const Percentiles one = percentilesOf({7.0});
    EXPECT_EQ(one.p50, 7.0);
    EXPECT_EQ(one.p99, 7.0);
    EXPECT_EQ(percentilesOf({}).max, 0.0);
}
