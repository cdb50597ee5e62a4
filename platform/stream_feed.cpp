// A stream's feed: the gate decides whether its frames are music or silence; the first
// frames of music fix how its own frame count maps onto the output's.
#include <cstring>
#include <thread>

#include "base/clock.h"
#include "platform/output_backend.h"

namespace zuzor {

void FillGate::handTo(uint32_t stream) {
    owner_.store(stream);
    while (busy_.load()) std::this_thread::yield();
}

void StreamFeed::render(float* out, size_t frames, uint64_t streamFrame) {
    lastRequestMs_.store(monotonicMs(), std::memory_order_relaxed);
    askedFor_.store(askedFor_.load(std::memory_order_relaxed) + frames, std::memory_order_relaxed);
    if (!music_.gate.enter(id_)) {
        if (out) std::memset(out, 0, frames * 2 * sizeof(float));
        return;
    }
    const uint64_t first = music_.handed.load(std::memory_order_relaxed);
    if (offset_.load(std::memory_order_relaxed) == notOwnedYet)
        offset_.store(int64_t(first) - int64_t(streamFrame), std::memory_order_relaxed);
    music_.fill(out, frames, first);
    music_.handed.store(first + frames, std::memory_order_release);
    music_.gate.leave();
}

void StreamFeed::postTiming(int64_t streamFrame, double leavesAtMs) {
    const int64_t offset = offset_.load(std::memory_order_relaxed);
    if (offset == notOwnedYet) return;  // nothing of the music has gone this way yet
    clock_.post(streamFrame + offset, leavesAtMs, rate_);
}

}  // namespace zuzor
