// A stream on an SDL2 device in callback mode: for SDL's drivers that the host's own
// backends do not cover, and for every platform without them. SDL does not say how much
// the device holds, so a callback's frames are taken to leave once the device's buffer
// before them has played; ZUZOR_AUDIO_LATENCY_MS trims what it holds beyond that.
#include <SDL2/SDL.h>

#include <cstring>
#include <mutex>

#include "base/clock.h"
#include "platform/output_backend.h"
#include "platform/sdl/host_audio_quiet.h"

namespace zuzor {

namespace {

constexpr int requestedDeviceFrames = 1024;  // about 23 ms at 44.1 kHz

void silenceSdlLog(void*, int, SDL_LogPriority, const char*) {}

// SDL's audio subsystem is counted up and down without a lock of its own, and an opening
// the output gave up on may still be under way in the background when the next one starts.
std::mutex& sdlAudioMutex() {
    static std::mutex mutex;
    return mutex;
}

class SdlOutput final : public OutputBackend {
  public:
    explicit SdlOutput(StreamFeed& feed) : feed_(feed) {}
    ~SdlOutput() override {
        if (device_ == 0) return;
        std::lock_guard<std::mutex> lock(sdlAudioMutex());
        SDL_CloseAudioDevice(device_);  // returns after the last callback
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    bool open(int rate, const char* driver, std::string& why);

    const char* driver() const override { return driver_; }
    int bufferFrames() const override { return bufferFrames_; }
    // SDL's own thread sleeps between callbacks and its drivers report a lost device
    // themselves; its buffer is a small part of the limit.
    double stallLimitMs() const override { return stalledAfterMs; }
    const char* polledFailure() override {
        return SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED ? "the device was lost"
                                                                      : nullptr;
    }

  private:
    static void callback(void* self, Uint8* stream, int length) {
        static_cast<SdlOutput*>(self)->onCallback(reinterpret_cast<float*>(stream),
                                                  size_t(length) / (2 * sizeof(float)));
    }
    void onCallback(float* out, size_t frames) {
        feed_.render(out, frames, written_);
        written_ += frames;
        // The device still had its buffer to play before these frames.
        feed_.postTiming(int64_t(written_) - int64_t(frames) - bufferFrames_, monotonicMs());
    }

    StreamFeed& feed_;
    SDL_AudioDeviceID device_ = 0;
    int bufferFrames_ = 0;
    const char* driver_ = "";
    uint64_t written_ = 0;  // audio thread
};

bool SdlOutput::open(int rate, const char* driver, std::string& why) {
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = requestedDeviceFrames;
    want.callback = callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
        why = "no audio device";
        return false;
    }
    bufferFrames_ = have.samples;
    driver_ = driver;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

}  // namespace

std::unique_ptr<OutputBackend> openSdlOutput(int rate, StreamFeed& feed, std::string& why) {
    std::lock_guard<std::mutex> lock(sdlAudioMutex());
    SDL_LogSetOutputFunction(silenceSdlLog, nullptr);
    quietHostAudioLibraries();
    // SDL would otherwise catch SIGINT and SIGTERM and turn them into quit events that
    // nobody reads here: the demo could then not be stopped from the console.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        why = "no audio driver";
        return nullptr;
    }
    const char* name = SDL_GetCurrentAudioDriver();
    // The disk driver writes the audio to a file in the working directory.
    if (name && std::strcmp(name, "disk") == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        why = "the disk audio driver is refused";
        return nullptr;
    }
    auto output = std::make_unique<SdlOutput>(feed);
    // SDL's driver names are the library's string literals, valid while it is loaded.
    if (output->open(rate, name ? name : "sdl", why)) return output;
    // SDL's audio stays up after a device that did not open: under Wine, taking its WASAPI
    // driver down at that point makes the process fault later, at exit. It goes with the
    // process; a later open only counts it up again.
    return nullptr;
}

}  // namespace zuzor
