// Ties a stream's frame numbers to the monotonic clock. Each sample is one estimate of
// "frame 0 leaves the sink at offsetMs", taken from the server's timing at some moment; the
// median of the estimates near a frame is its time, so one late wake-up or one stale
// timing update does not move it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace zuzor {

class StreamClock {
  public:
    explicit StreamClock(int rate) : rate_(rate) {}

    // At monotonic time nowMs, frame `frame` of the stream is `untilMs` from leaving the sink
    // (negative: it left that long ago).
    void sample(uint64_t frame, double nowMs, double untilMs);

    // When `frame` leaves the sink, from the samples within windowMs of it (all of them when
    // none is that close). NaN without samples.
    double leavesAtMs(uint64_t frame, double windowMs = 2000.0) const;
    // The same from the earliest of those estimates: for estimates that can only be late,
    // such as the time a frame arrived at the recorder.
    double earliestAtMs(uint64_t frame, double windowMs = 2000.0) const;

    // The spread of the estimates (p95 - p5) in ms: how far apart the server's timing
    // reports were.
    double spreadMs() const;
    size_t samples() const { return offsets_.size(); }
    // One line per estimate: when it was taken, the frame's place in ms, the offset it gave.
    void write(FILE* out) const;

  private:
    std::vector<double> offsetsNear(double frameMs, double windowMs) const;
    struct Estimate {
        double frameMs;   // the frame's place in the stream, in ms
        double offsetMs;  // when frame 0 leaves, by this estimate
        double takenMs;   // when the estimate was taken
    };
    int rate_;
    std::vector<Estimate> offsets_;
};

}  // namespace zuzor
