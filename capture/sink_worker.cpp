// One worker thread and a short queue. Sound comes in chunks of a few dozen frames: it is
// gathered and queued with the next picture (or once a tenth of a second has gathered), so
// the queue holds few items and the inner sink still sees every call in order.
#include "capture/sink_worker.h"

#include "base/constants.h"

namespace zuzor {

namespace {

constexpr size_t soundBatchFloats = size_t(mixRate) / 10 * 2;

}  // namespace

SinkWorker::SinkWorker(CaptureSink& inner, size_t frameBytes, size_t depth)
    : inner_(inner), frameBytes_(frameBytes), depth_(depth < 1 ? 1 : depth) {
    sound_.reserve(soundBatchFloats * 2);
    thread_ = std::thread([this] { run(); });
}

SinkWorker::~SinkWorker() {
    if (thread_.joinable()) finish();
}

bool SinkWorker::push(Item item) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < depth_ || refused_; });
    if (refused_) return false;
    queue_.push_back(std::move(item));
    changed_.notify_all();
    return true;
}

bool SinkWorker::queueSound() {
    if (sound_.empty()) return !refused_;
    Item item;
    item.sound.swap(sound_);
    sound_.reserve(soundBatchFloats * 2);
    return push(std::move(item));
}

bool SinkWorker::onVideoFrame(uint64_t index, const uint8_t* rgb, bool changed) {
    if (!queueSound()) return false;
    Item item;
    item.video = true;
    item.index = index;
    item.changed = changed;
    if (rgb) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!spare_.empty()) {
                item.pixels.swap(spare_.back());
                spare_.pop_back();
            }
        }
        item.pixels.assign(rgb, rgb + frameBytes_);
        item.hasPixels = true;
    }
    return push(std::move(item));
}

bool SinkWorker::onAudio(const float* stereo, size_t frames) {
    sound_.insert(sound_.end(), stereo, stereo + frames * 2);
    return sound_.size() < soundBatchFloats ? !refused_ : queueSound();
}

void SinkWorker::run() {
    for (;;) {
        Item item;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty() || closing_; });
            if (queue_.empty()) return;
            item = std::move(queue_.front());
            queue_.pop_front();
            changed_.notify_all();
        }
        bool taken = true;
        if (!refused_) {
            taken = item.video ? inner_.onVideoFrame(item.index,
                                                     item.hasPixels ? item.pixels.data() : nullptr,
                                                     item.changed)
                               : inner_.onAudio(item.sound.data(), item.sound.size() / 2);
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (item.hasPixels) spare_.push_back(std::move(item.pixels));
        if (!taken) {
            refused_ = true;
            changed_.notify_all();
        }
    }
}

bool SinkWorker::finish() {
    queueSound();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
    return !refused_;
}

}  // namespace zuzor
