// The median of the recent reports, published as a sequence lock: the writer never waits,
// a reader that saw a torn pair reads again. Nothing here allocates.
#include "platform/device_clock.h"

#include <algorithm>
#include <cmath>

namespace zuzor {

namespace {

double median(double* values, size_t count) {
    std::nth_element(values, values + count / 2, values + count);
    return values[count / 2];
}

}  // namespace

void DeviceClock::post(int64_t frame, double leavesAtMs, int rate) {
    const double place = double(frame) * 1000.0 / rate;
    const double offset = leavesAtMs - place;
    if (count_ > 0 && std::fabs(offset - fittedOffset(place)) > startAfreshMs) {
        // One report far off is a hiccup; several in a row are a new timeline.
        if (++farInARow_ < farToStartAfresh) return;
        count_ = next_ = 0;
    }
    farInARow_ = 0;
    places_[next_] = place;
    offsets_[next_] = offset;
    next_ = (next_ + 1) % history;
    count_ = std::min(count_ + 1, history);
    publish(frame, place + fittedOffset(place));
}

double DeviceClock::fittedOffset(double frameMs) const {
    constexpr double steepest = 0.01;  // 1 %: more is no clock, but noise
    double slopes[history * (history - 1) / 2];
    size_t pairs = 0;
    for (size_t i = 0; i < count_; ++i)
        for (size_t j = i + 1; j < count_; ++j)
            if (std::fabs(places_[j] - places_[i]) > 1.0)
                slopes[pairs++] = (offsets_[j] - offsets_[i]) / (places_[j] - places_[i]);
    const double slope = pairs >= 3 ? std::clamp(median(slopes, pairs), -steepest, steepest) : 0.0;
    double rest[history];
    for (size_t i = 0; i < count_; ++i) rest[i] = offsets_[i] - slope * (places_[i] - frameMs);
    return median(rest, count_);
}

void DeviceClock::publish(int64_t frame, double leavesAtMs) {
    const uint32_t seq = seq_.load(std::memory_order_relaxed);
    seq_.store(seq + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    frame_.store(frame, std::memory_order_relaxed);
    atMs_.store(leavesAtMs, std::memory_order_relaxed);
    seq_.store(seq + 2, std::memory_order_release);
}

bool DeviceClock::frameAt(double nowMs, int rate, int64_t& frame) const {
    int64_t anchor = 0;
    double at = 0.0;
    for (;;) {
        const uint32_t before = seq_.load(std::memory_order_acquire);
        if (before == 0) return false;
        anchor = frame_.load(std::memory_order_relaxed);
        at = atMs_.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (!(before & 1) && before == seq_.load(std::memory_order_relaxed)) break;
    }
    frame = anchor + int64_t(std::floor((nowMs - at) * rate / 1000.0));
    return true;
}

}  // namespace zuzor
