// The silent clock: a thread of ours that renders at the pace of a sound device and
// discards the audio, for runs without a device. Portable (std::thread and the run's
// clock), so every platform's sound output can fall back to it.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

#include "platform/sound_output.h"

namespace zuzor {

class SilentClock {
  public:
    // How far ahead of the heard frame the clock renders, like a device's buffer.
    static constexpr int leadFrames = 1024;

    SilentClock() = default;
    ~SilentClock() { stop(); }
    SilentClock(const SilentClock&) = delete;
    SilentClock& operator=(const SilentClock&) = delete;

    // Starts rendering through `fill` from output frame `handed` on, which it advances
    // as it renders; the frame heard now is `heardFrom` (below 0: that first frame). A
    // clock that takes over from a device starts where the device's clock was, so the
    // heard frame goes on without a jump.
    void start(int rate, OutputFill fill, std::atomic<uint64_t>& handed, int64_t heardFrom = -1);
    // Returns once the thread has rendered its last chunk.
    void stop();
    bool running() const { return thread_.joinable(); }
    // The frame heard now, at real-time pace from the start.
    int64_t heardFrame() const;

  private:
    void run();

    static constexpr size_t chunkFrames = 512;
    std::thread thread_;
    std::atomic<bool> running_{false};
    int rate_ = 0;
    OutputFill fill_ = nullptr;
    std::atomic<uint64_t>* handed_ = nullptr;
    int64_t startFrame_ = 0;
    double startMs_ = 0.0;
    float scratch_[chunkFrames * 2] = {};
};

}  // namespace zuzor
