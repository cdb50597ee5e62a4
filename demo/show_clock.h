// The show clock: the count of audio frames of the song a show has run through offline (the
// capture, a fast-forward). The frame timer reads it as its time source, so ticks fall where
// the rendered sound says they do and not where the machine's speed would put them.
#pragma once
#include <cstdint>

#include "base/frame_timer.h"

namespace zuzor {

// A high-resolution source in nanoseconds over the song's frames (never the fallback path).
class ShowClock final : public TimeSource {
  public:
    void set(uint64_t audioFrame) { frame_ = audioFrame; }
    uint64_t frame() const { return frame_; }

    bool counterFrequency(int64_t* countsPerSecond) const override;
    int64_t counter() const override;
    uint32_t tickCountMs() const override;

  private:
    uint64_t frame_ = 0;
};

}  // namespace zuzor
