// When the sound system says a frame leaves it: the anchor that turns "now" into the frame
// being heard. The thread that owns a stream posts whenever its sound system reports
// timing; the main thread extrapolates from the latest anchor at the nominal rate.
// Reports jitter by a few milliseconds (the thread woke late, the server's report was
// coarse), so a report close to where the clock already is only pulls it a tenth of the
// way; one far from it (the stream ran dry, a new stream) sets it outright.
// One writer and any number of readers; neither ever waits for the other.
#pragma once
#include <atomic>
#include <cstdint>

namespace zuzor {

class DeviceClock {
  public:
    // Frame `frame` leaves the sound system at `leavesAtMs` on the run's clock, at `rate`.
    void post(int64_t frame, double leavesAtMs, int rate);
    // The frame leaving at `nowMs` at `rate` frames a second; false before the first post.
    bool frameAt(double nowMs, int rate, int64_t& frame) const;
    bool posted() const { return seq_.load(std::memory_order_acquire) != 0; }

    static constexpr double followShare = 0.1;
    static constexpr double setOutrightMs = 10.0;

  private:
    void publish(int64_t frame, double atMs);
    // A sequence lock: odd while the writer is between its two stores.
    std::atomic<uint32_t> seq_{0};
    std::atomic<int64_t> frame_{0};
    std::atomic<double> atMs_{0.0};
};

}  // namespace zuzor
