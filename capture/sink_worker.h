// A capture sink's work on a thread of its own: while the encoder (H.264, PNG) takes one
// picture, the capture already draws the next. The inner sink receives every call in the
// order the capture made it, so its output is the same as without the worker.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "capture/show_capture.h"

namespace zuzor {

class SinkWorker final : public CaptureSink {
  public:
    // `frameBytes`: the size of one picture. At most `depth` pictures wait at a time; the
    // capture waits when they do.
    SinkWorker(CaptureSink& inner, size_t frameBytes, size_t depth = 4);
    ~SinkWorker();
    SinkWorker(const SinkWorker&) = delete;
    SinkWorker& operator=(const SinkWorker&) = delete;

    bool wantsPixels(uint64_t index) override { return inner_.wantsPixels(index); }
    bool onVideoFrame(uint64_t index, const uint8_t* rgb, bool changed) override;
    bool onAudio(const float* stereo, size_t frames) override;
    void onProgress(uint64_t clock, uint64_t expectedEnd) override {
        inner_.onProgress(clock, expectedEnd);
    }

    // Waits until the inner sink has had everything. False when it refused a call (then it
    // had nothing after that one).
    bool finish();

  private:
    struct Item {
        bool video = false;
        uint64_t index = 0;
        bool changed = false;
        bool hasPixels = false;
        std::vector<uint8_t> pixels;
        std::vector<float> sound;
    };

    void run();
    bool queueSound();
    bool push(Item item);

    CaptureSink& inner_;
    size_t frameBytes_;
    size_t depth_;
    std::vector<float> sound_;  // gathered until the next picture, or enough of it
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Item> queue_;
    std::vector<std::vector<uint8_t>> spare_;  // picture buffers to use again
    bool closing_ = false;
    std::atomic<bool> refused_{false};
    std::thread thread_;
};

}  // namespace zuzor
