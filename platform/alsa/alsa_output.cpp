// The ALSA stream runs a thread of ours: it waits until the device has room for a period,
// pulls the music through the feed and writes it; after each write the device's delay (the
// frames written that have not left it yet) says which frame leaves now. The device is
// non-blocking and every wait is bounded, so the thread never hangs on a device that went
// away; an error ALSA cannot recover from is posted as the stream's failure.
#include "platform/alsa/alsa_output.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "platform/linux/realtime.h"

namespace zuzor {

namespace {

// 2048 frames at 44.1 kHz. Longer would ride out longer waits of our thread, but through
// ALSA's pulse plugin a starved server then makes the reported delay wrong by up to the
// whole buffer, early.
constexpr unsigned targetLatencyUs = 46440;
constexpr int waitAtMostMs = 50;
constexpr int threadShowsWithinMs = 200;

// ALSA prints its own complaints to stderr (no card, a plugin's server gone).
void quietAlsaError(const char*, int, const char*, int, const char*, ...) {}

class AlsaOutput final : public OutputBackend {
  public:
    AlsaOutput(StreamFeed& feed, int rate) : feed_(feed), rate_(rate) {}
    ~AlsaOutput() override {
        running_.store(false);
        if (thread_.joinable()) thread_.join();
        if (pcm_) snd_pcm_close(pcm_);
    }
    bool open(std::string& why);
    void raisePriority() { priority_.raise(threadShowsWithinMs); }

    const char* driver() const override { return "alsa"; }
    int bufferFrames() const override { return int(bufferFrames_); }
    double stallLimitMs() const override { return bufferFrames_ * 1000.0 / rate_ + stalledAfterMs; }

  private:
    void run();
    // Writes the rendered period; false once the device failed for good.
    bool writePending();
    bool recover(int error);
    void postDelay();

    StreamFeed& feed_;
    const int rate_;
    snd_pcm_t* pcm_ = nullptr;
    snd_pcm_uframes_t bufferFrames_ = 0;
    snd_pcm_uframes_t periodFrames_ = 0;
    std::vector<float> period_;  // sized before the thread starts
    size_t pendingFrom_ = 0, pendingTo_ = 0;
    uint64_t written_ = 0;
    std::atomic<bool> running_{true};
    AudioThreadPriority priority_;
    std::thread thread_;
};

bool AlsaOutput::open(std::string& why) {
    snd_lib_error_set_handler(quietAlsaError);
    if (snd_pcm_open(&pcm_, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
        pcm_ = nullptr;
        return why = "no ALSA device", false;
    }
    if (snd_pcm_set_params(pcm_, SND_PCM_FORMAT_FLOAT_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 2,
                           unsigned(rate_), 1, targetLatencyUs) < 0 ||
        snd_pcm_get_params(pcm_, &bufferFrames_, &periodFrames_) < 0 || periodFrames_ == 0)
        return why = "the ALSA device takes no stereo float", false;
    period_.assign(periodFrames_ * 2, 0.0f);
    thread_ = std::thread([this] { run(); });
    return true;
}

bool AlsaOutput::recover(int error) {
    if (snd_pcm_recover(pcm_, error, 1) == 0) return true;
    feed_.postFailure("the ALSA device failed");
    return false;
}

bool AlsaOutput::writePending() {
    while (pendingFrom_ < pendingTo_) {
        const snd_pcm_sframes_t done =
            snd_pcm_writei(pcm_, period_.data() + pendingFrom_ * 2, pendingTo_ - pendingFrom_);
        if (done == -EAGAIN) return true;  // full: the rest after the next wait
        if (done < 0) return recover(int(done));
        pendingFrom_ += size_t(done);
        written_ += uint64_t(done);
    }
    postDelay();
    return true;
}

// Only once some of it has left: before, the device may not have started at all.
void AlsaOutput::postDelay() {
    snd_pcm_sframes_t delay = 0;
    if (snd_pcm_delay(pcm_, &delay) == 0 && delay >= 0 && uint64_t(delay) < written_)
        feed_.postTiming(int64_t(written_) - int64_t(delay), monotonicMs());
}

void AlsaOutput::run() {
    priority_.noteThisThread();
    while (running_.load()) {
        const int ready = snd_pcm_wait(pcm_, waitAtMostMs);
        if (ready < 0 && !recover(ready)) break;
        if (pendingFrom_ == pendingTo_) {
            const snd_pcm_sframes_t room = snd_pcm_avail_update(pcm_);
            if (room < 0) {
                if (!recover(int(room))) break;
                continue;
            }
            if (snd_pcm_uframes_t(room) < periodFrames_) continue;
            feed_.render(period_.data(), periodFrames_, written_);
            pendingFrom_ = 0;
            pendingTo_ = periodFrames_;
        }
        if (!writePending()) break;
    }
}

}  // namespace

std::unique_ptr<OutputBackend> openAlsaOutput(int rate, StreamFeed& feed, std::string& why) {
    auto output = std::make_unique<AlsaOutput>(feed, rate);
    if (!output->open(why)) return nullptr;
    output->raisePriority();
    return output;
}

}  // namespace zuzor
