// The median of the server's timing estimates around a frame.
#include "tests/support/stream_clock.h"

#include <algorithm>
#include <cmath>

namespace {

double median(std::vector<double> values) {
    if (values.empty()) return NAN;
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + long(middle), values.end());
    return values[middle];
}

}  // namespace

void StreamClock::sample(uint64_t frame, double nowMs, double untilMs) {
    const double frameMs = double(frame) * 1000.0 / rate_;
    offsets_.push_back({frameMs, nowMs + untilMs - frameMs, nowMs});
}

double StreamClock::leavesAtMs(uint64_t frame, double windowMs) const {
    const double frameMs = double(frame) * 1000.0 / rate_;
    std::vector<double> near, all;
    for (const Estimate& e : offsets_) {
        all.push_back(e.offsetMs);
        if (std::fabs(e.frameMs - frameMs) <= windowMs) near.push_back(e.offsetMs);
    }
    return frameMs + median(near.empty() ? all : near);
}

double StreamClock::spreadMs() const {
    if (offsets_.empty()) return NAN;
    std::vector<double> sorted;
    for (const Estimate& e : offsets_) sorted.push_back(e.offsetMs);
    std::sort(sorted.begin(), sorted.end());
    const auto at = [&](double q) { return sorted[size_t(q * double(sorted.size() - 1))]; };
    return at(0.95) - at(0.05);
}

void StreamClock::write(FILE* out) const {
    for (const Estimate& e : offsets_)
        std::fprintf(out, "%.3f %.3f %.3f\n", e.takenMs, e.frameMs, e.offsetMs);
}
