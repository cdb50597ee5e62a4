// When the sound system says a frame leaves it: the anchor that turns "now" into the frame
// being heard. The thread that owns a stream posts whenever its sound system reports
// timing; the main thread extrapolates from the latest anchor at the nominal rate.
// Reports jitter by milliseconds (the thread woke late, a server's answer took its time),
// and a device's clock may drift against ours (a sink a fraction of a per mille fast, SDL's
// dummy device sleeping a little long), so the anchor comes from a line through the recent
// reports that outliers do not move: the median of the slopes between pairs of reports, and
// the median of what is left. A report far from that line is ignored, unless a few in a row
// say the same (the stream ran dry, its server moved it): the history then starts afresh.
// One writer and any number of readers; neither ever waits for the other.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace zuzor {

class DeviceClock {
  public:
    static constexpr size_t history = 24;
    static constexpr double startAfreshMs = 10.0;
    static constexpr int farToStartAfresh = 4;

    // Writer: frame `frame` leaves the sound system at `leavesAtMs` on the run's clock, at
    // `rate` frames a second.
    void post(int64_t frame, double leavesAtMs, int rate);
    // The frame leaving at `nowMs`; false before the first post.
    bool frameAt(double nowMs, int rate, int64_t& frame) const;
    bool posted() const { return seq_.load(std::memory_order_acquire) != 0; }

  private:
    void publish(int64_t frame, double atMs);
    // The line's offset at the frame's place `frameMs`.
    double fittedOffset(double frameMs) const;

    // The writer's own: each recent report as the frame's place in ms and when, by that
    // report, frame 0 left.
    double places_[history] = {};
    double offsets_[history] = {};
    size_t count_ = 0, next_ = 0;
    int farInARow_ = 0;
    // The anchor, as a sequence lock: odd while the writer is between its stores.
    std::atomic<uint32_t> seq_{0};
    std::atomic<int64_t> frame_{0};
    std::atomic<double> atMs_{0.0};
};

}  // namespace zuzor
