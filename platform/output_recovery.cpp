// The openers, and the opening as background work.
#include "platform/output_recovery.h"

#include <atomic>

#include "platform/background_work.h"

namespace zuzor {

namespace {

std::atomic<OutputOpener> replacedOpener{nullptr};

std::unique_ptr<OutputBackend> openPlatformOutput(int rate, StreamFeed& feed, std::string& why) {
    if (auto backend = openHostOutput(rate, feed, why)) return backend;
    return openSdlOutput(rate, feed, why);
}

// The jobs run one at a time, each to its end, the closing of an abandoned job's stream
// included: a sound system may refuse a second device while one is open (SDL's dummy
// driver does), and an abandoned opening may still be under way when the next one starts.
std::mutex& oneJobAtATime() {
    static std::mutex mutex;
    return mutex;
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

std::shared_ptr<StreamOpening> StreamOpening::begin(Request request) {
    auto opening = std::make_shared<StreamOpening>();
    auto shared = std::make_shared<Request>(std::move(request));
    runInBackground([opening, shared] { opening->run(*shared); });
    return opening;
}

void StreamOpening::run(Request& request) {
    std::lock_guard<std::mutex> alone(oneJobAtATime());
    request.stopped.reset();
    std::string why;
    std::unique_ptr<OutputStream> stream;
    if (request.open)
        stream = openOutputStream(*request.music, request.rate, request.playsAtOnce, why,
                                  request.driver);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!abandoned_) {
            opened_ = std::move(stream);
            why_ = why;
        }
        done_ = true;
    }
    // Abandoned: what opened is closed here, while the job still holds the music source
    // it plays.
    stream.reset();
}

bool StreamOpening::done() {
    std::lock_guard<std::mutex> lock(mutex_);
    return done_;
}

std::unique_ptr<OutputStream> StreamOpening::take(std::string& why) {
    std::lock_guard<std::mutex> lock(mutex_);
    why = why_;
    return std::move(opened_);
}

void StreamOpening::abandon() {
    std::unique_ptr<OutputStream> unwanted;
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
    unwanted = std::move(opened_);
}

}  // namespace zuzor
