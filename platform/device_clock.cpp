// The median of the recent reports, published as a sequence lock: the writer never waits,
// a reader that saw a torn pair reads again. Nothing here allocates.
#include "platform/device_clock.h"

#include <algorithm>
#include <cmath>

namespace zuzor {

void DeviceClock::post(int64_t frame, double leavesAtMs, int rate) {
    const double offset = leavesAtMs - double(frame) * 1000.0 / rate;
    if (count_ > 0 && std::fabs(offset - median()) > startAfreshMs) {
        // One report far off is a hiccup; several in a row are a new timeline.
        if (++farInARow_ < farToStartAfresh) return;
        count_ = next_ = 0;
    }
    farInARow_ = 0;
    offsets_[next_] = offset;
    next_ = (next_ + 1) % history;
    count_ = std::min(count_ + 1, history);
    publish(frame, double(frame) * 1000.0 / rate + median());
}

double DeviceClock::median() const {
    double sorted[history];
    std::copy(offsets_, offsets_ + count_, sorted);
    std::nth_element(sorted, sorted + count_ / 2, sorted + count_);
    return sorted[count_ / 2];
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
