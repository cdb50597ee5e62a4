// The silent clock: renders at the pace of a sound device and discards the audio, for runs
// without a device. It has no thread: whoever drives the output (the main loop's service
// step, a test) advances it, often enough that it stays its lead ahead of the heard frame.
// Portable (the run's clock only), so every platform's sound output can fall back to it.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/sound_output.h"

namespace zuzor {

class SilentClock {
  public:
    // How far ahead of the heard frame the clock renders, like a device's buffer.
    static constexpr int leadFrames = 1024;

    // Starts rendering through `fill` from output frame `handed` on, which it advances
    // as it renders; the frame heard now is `heardFrom` (below 0: that first frame). A
    // clock that takes over from a device starts where the device's clock was, so the
    // heard frame goes on without a jump. Renders its lead at once.
    void start(int rate, OutputFill fill, std::atomic<uint64_t>& handed, int64_t heardFrom = -1);
    void stop() { running_ = false; }
    bool running() const { return running_; }
    // Renders up to the real-time position plus the lead.
    void advance();
    // The frame heard now, at real-time pace from the start, never past what was rendered.
    int64_t heardFrame() const;

  private:
    static constexpr size_t chunkFrames = 512;
    bool running_ = false;
    int rate_ = 0;
    OutputFill fill_ = nullptr;
    std::atomic<uint64_t>* handed_ = nullptr;
    int64_t startFrame_ = 0;
    double startMs_ = 0.0;
    float scratch_[chunkFrames * 2] = {};
};

}  // namespace zuzor
