// When the sound system says a frame leaves it: the anchor that turns "now" into the frame
// being heard. The thread that owns a stream posts an anchor whenever its sound system
// reports timing; the main thread extrapolates from the latest one at the nominal rate.
// One writer and any number of readers; neither ever waits for the other.
#pragma once
#include <atomic>
#include <cstdint>

namespace zuzor {

class DeviceClock {
  public:
    // Frame `frame` leaves the sound system at `leavesAtMs` on the run's clock.
    void post(int64_t frame, double leavesAtMs);
    // The frame leaving at `nowMs` at `rate` frames a second; false before the first post.
    bool frameAt(double nowMs, int rate, int64_t& frame) const;
    bool posted() const { return seq_.load(std::memory_order_acquire) != 0; }

  private:
    // A sequence lock: odd while the writer is between its two stores.
    std::atomic<uint32_t> seq_{0};
    std::atomic<int64_t> frame_{0};
    std::atomic<double> atMs_{0.0};
};

}  // namespace zuzor
