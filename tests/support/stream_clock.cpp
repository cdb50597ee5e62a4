// The median of the server's timing estimates around a frame.
#include "tests/support/stream_clock.h"

#include <algorithm>
#include <cmath>

namespace zuzor {

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

std::vector<double> StreamClock::offsetsNear(double frameMs, double windowMs) const {
    std::vector<double> near, all;
    for (const Estimate& e : offsets_) {
        all.push_back(e.offsetMs);
        if (std::fabs(e.frameMs - frameMs) <= windowMs) near.push_back(e.offsetMs);
    }
    return near.empty() ? all : near;
}

double StreamClock::leavesAtMs(uint64_t frame, double windowMs) const {
    const double frameMs = double(frame) * 1000.0 / rate_;
    return frameMs + median(offsetsNear(frameMs, windowMs));
}

double StreamClock::earliestAtMs(uint64_t frame, double windowMs) const {
    const double frameMs = double(frame) * 1000.0 / rate_;
    const std::vector<double> near = offsetsNear(frameMs, windowMs);
    return near.empty() ? NAN : frameMs + *std::min_element(near.begin(), near.end());
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

}  // namespace zuzor
