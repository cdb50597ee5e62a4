// The silent clock: each advance renders up to the real-time position plus its lead, in
// chunks, and publishes the frames handed over.
#include "platform/silent_clock.h"

#include <algorithm>

#include "base/clock.h"

namespace zuzor {

void SilentClock::start(int rate, OutputFill fill, std::atomic<uint64_t>& handed,
                        int64_t heardFrom) {
    rate_ = rate;
    fill_ = fill;
    handed_ = &handed;
    startFrame_ = heardFrom >= 0 ? heardFrom : int64_t(handed.load(std::memory_order_acquire));
    startMs_ = monotonicMs();
    running_ = true;
    advance();
}

int64_t SilentClock::heardFrame() const {
    if (!handed_) return -1;
    const int64_t heard = startFrame_ + int64_t((monotonicMs() - startMs_) * rate_ / 1000.0);
    return std::min<int64_t>(heard, int64_t(handed_->load(std::memory_order_acquire)));
}

void SilentClock::advance() {
    if (!running_) return;
    const double elapsedMs = monotonicMs() - startMs_;
    const uint64_t target =
        uint64_t(startFrame_ + int64_t(elapsedMs * rate_ / 1000.0) + leadFrames);
    uint64_t done = handed_->load(std::memory_order_relaxed);
    while (done < target) {
        const size_t frames = size_t(std::min<uint64_t>(chunkFrames, target - done));
        fill_(scratch_, frames, done);
        done += frames;
        handed_->store(done, std::memory_order_release);
    }
}

}  // namespace zuzor
