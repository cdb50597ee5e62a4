// The anchor is published as a sequence lock: the writer never waits, a reader that saw a
// torn pair reads again.
#include "platform/device_clock.h"

#include <cmath>

namespace zuzor {

void DeviceClock::post(int64_t frame, double leavesAtMs, int rate) {
    int64_t predicted = 0;
    if (frameAt(leavesAtMs, rate, predicted)) {
        const double errorMs = double(frame - predicted) * 1000.0 / rate;
        if (std::fabs(errorMs) < setOutrightMs)
            frame = predicted + int64_t(std::llround(followShare * double(frame - predicted)));
    }
    publish(frame, leavesAtMs);
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
