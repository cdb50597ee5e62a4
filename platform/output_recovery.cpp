// The recovery thread and the openers it shares with the first open.
#include "platform/output_recovery.h"

#include <chrono>

namespace zuzor {

namespace {

std::atomic<OutputOpener> replacedOpener{nullptr};

std::unique_ptr<OutputBackend> openPlatformOutput(int rate, StreamFeed& feed, std::string& why) {
    if (auto backend = openHostOutput(rate, feed, why)) return backend;
    return openSdlOutput(rate, feed, why);
}

}  // namespace

void replaceOutputOpener(OutputOpener opener) {
    replacedOpener.store(opener);
}

std::unique_ptr<OutputStream> openOutputStream(MusicSource& music, int rate, bool playsAtOnce,
                                               std::string& why) {
    auto stream = std::make_unique<OutputStream>();
    stream->feed = std::make_unique<StreamFeed>(music, music.nextStreamId.fetch_add(1), rate);
    if (playsAtOnce) music.gate.handTo(stream->feed->id());
    const OutputOpener replaced = replacedOpener.load();
    stream->backend = (replaced ? replaced : openPlatformOutput)(rate, *stream->feed, why);
    if (stream->backend) return stream;
    if (playsAtOnce) music.gate.handTo(0);
    return nullptr;
}

void OutputRecovery::start(std::unique_ptr<OutputStream> stopped, MusicSource& music, int rate) {
    stop();
    stopping_ = false;
    finished_.store(false);
    stopped_ = std::move(stopped);
    thread_ = std::thread([this, &music, rate] { run(music, rate); });
}

void OutputRecovery::run(MusicSource& music, int rate) {
    stopped_.reset();
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        wake_.wait_for(lock, std::chrono::milliseconds(retryEveryMs), [this] { return stopping_; });
        if (stopping_) break;
        lock.unlock();
        std::string why;
        std::unique_ptr<OutputStream> stream = openOutputStream(music, rate, false, why);
        lock.lock();
        if (stream && !stopping_) {
            opened_.store(stream.release());
            break;
        }
    }
    finished_.store(true);
}

std::unique_ptr<OutputStream> OutputRecovery::takeOpened() {
    return std::unique_ptr<OutputStream>(opened_.exchange(nullptr));
}

void OutputRecovery::stop() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (int waited = 0; waited < 1000 && !finished_.load(); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (finished_.load()) {
        thread_.join();
        takeOpened();  // opened after the output stopped wanting it
    } else {
        thread_.detach();
    }
}

}  // namespace zuzor
