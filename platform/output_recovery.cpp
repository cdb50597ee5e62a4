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

bool hostDriver(const std::string& driver) {
    return driver == "pulseaudio" || driver == "pipewire" || driver == "alsa";
}

}  // namespace

void replaceOutputOpener(OutputOpener opener) {
    replacedOpener.store(opener);
}

std::unique_ptr<OutputStream> openOutputStream(MusicSource& music, int rate, bool playsAtOnce,
                                               std::string& why, const std::string& driver) {
    auto stream = std::make_unique<OutputStream>();
    stream->feed = std::make_unique<StreamFeed>(music, music.nextStreamId.fetch_add(1), rate);
    if (playsAtOnce) music.gate.handTo(stream->feed->id());
    const OutputOpener replaced = replacedOpener.load();
    if (replaced)
        stream->backend = replaced(rate, *stream->feed, why);
    else if (!driver.empty())
        stream->backend = openHostDriver(driver, rate, *stream->feed, why);
    if (!replaced && !stream->backend && (driver.empty() || !hostDriver(driver)))
        stream->backend = openPlatformOutput(rate, *stream->feed, why);
    if (stream->backend) return stream;
    if (playsAtOnce) music.gate.handTo(0);
    return nullptr;
}

void OutputRecovery::start(std::unique_ptr<OutputStream> stopped, MusicSource& music, int rate) {
    stop();
    stopping_.store(false);
    finished_.store(false);
    std::string driver = stopped && stopped->backend ? stopped->backend->driver() : "";
    stopped_ = std::move(stopped);
    thread_ = std::thread([this, &music, rate, driver] { run(music, rate, driver); });
}

void OutputRecovery::run(MusicSource& music, int rate, std::string driver) {
    stopped_.reset();
    while (!stopping_.load()) {
        // A short sleep at a time, so that stop() is answered at once. (Nothing here needs
        // a condition variable, which keeps the output's state free of one at exit.)
        for (int slept = 0; slept < retryEveryMs && !stopping_.load(); slept += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (stopping_.load()) break;
        std::string why;
        std::unique_ptr<OutputStream> stream = openOutputStream(music, rate, false, why, driver);
        if (stream && !stopping_.load()) {
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
    stopping_.store(true);
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
