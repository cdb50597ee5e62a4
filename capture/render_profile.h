// The show's performance profile from a capture: the render time of every drawn frame and
// the pace of the ticks, as a short text report.
#pragma once
#include <string>
#include <vector>

#include "capture/show_capture.h"

namespace zuzor {

struct Percentiles {
    double p50 = 0.0;
    double p99 = 0.0;
    double max = 0.0;
    double mean = 0.0;
};

// Nearest-rank percentiles; all zero for no values.
Percentiles percentilesOf(std::vector<double> values);

// The report: the machine's renderer, the show's length, the wall time it took, the
// render time per drawn frame and the tick intervals in the show's time.
std::string profileReport(const CaptureSettings& settings, const CaptureReport& report,
                          double wallSeconds);

}  // namespace zuzor
