// The sound output over an SDL2 device in callback mode, with the silent clock where no
// device opens. The audio side publishes how many frames it has handed over and when; the
// main thread turns that into the frame being heard, interpolating between callbacks with
// the run's clock.
#include <SDL2/SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/clock.h"
#include "base/constants.h"
#include "platform/sdl/host_audio_quiet.h"
#include "platform/silent_clock.h"
#include "platform/sound_output.h"

namespace zuzor {

namespace {

constexpr int requestedDeviceFrames = 1024;  // about 23 ms at 44.1 kHz

// The last callback, published by the audio thread as a sequence lock (the writer never
// waits; the reader retries on a torn read).
struct CallbackStamp {
    std::atomic<uint32_t> seq{0};
    std::atomic<uint64_t> handedAfter{0};
    std::atomic<double> timeMs{0.0};
};

struct SoundOutput {
    OutputInfo info;
    OutputFill fill = nullptr;
    SDL_AudioDeviceID device = 0;
    std::atomic<uint64_t> handed{0};
    CallbackStamp lastCallback;
    SilentClock silentClock;
    // Main thread only: keeps the clock from running backwards. Below frame 0 until the
    // device has played its first buffer, so the song's first row waits for it.
    int64_t lastHeard = -1;

    // A process that ends without closing the output (exit() from anywhere) still stops
    // the audio thread before the state it uses goes away.
    ~SoundOutput() { close(); }
    void close();
};

SoundOutput output;

void silenceSdlLog(void*, int, SDL_LogPriority, const char*) {}

void deviceCallback(void*, Uint8* stream, int length) {
    const size_t frames = size_t(length) / (2 * sizeof(float));
    const uint64_t first = output.handed.load(std::memory_order_relaxed);
    output.fill(reinterpret_cast<float*>(stream), frames, first);
    CallbackStamp& stamp = output.lastCallback;
    const uint32_t seq = stamp.seq.load(std::memory_order_relaxed);
    stamp.seq.store(seq + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    stamp.handedAfter.store(first + frames, std::memory_order_relaxed);
    stamp.timeMs.store(monotonicMs(), std::memory_order_relaxed);
    stamp.seq.store(seq + 2, std::memory_order_release);
    output.handed.store(first + frames, std::memory_order_release);
}

int latencyFromEnvironment(int rate) {
    const char* text = std::getenv("ZUZOR_AUDIO_LATENCY_MS");
    if (!text || !*text) return 0;
    return int(std::strtod(text, nullptr) * rate / 1000.0);
}

void startSilentClock(int rate) {
    output.info.kind = OutputKind::silentClock;
    output.info.rate = rate;
    output.info.deviceBufferFrames = SilentClock::leadFrames;
    output.info.latencyFrames = 0;
    output.info.driver = "silent clock";
    output.silentClock.start(rate, output.fill, output.handed);
}

// Why there is no device, or null when one opened.
const char* openDevice(int rate) {
    const char* wanted = std::getenv("ZUZOR_AUDIO");
    if (wanted && std::strcmp(wanted, "off") == 0) return "ZUZOR_AUDIO=off";
    SDL_LogSetOutputFunction(silenceSdlLog, nullptr);
    quietHostAudioLibraries();
    // SDL would otherwise catch SIGINT and SIGTERM and turn them into quit events that
    // nobody reads here: the demo could then not be stopped from the console.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return "no audio driver";
    const char* driver = SDL_GetCurrentAudioDriver();
    // The disk driver writes the audio to a file in the working directory.
    if (driver && std::strcmp(driver, "disk") == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return "the disk audio driver is refused";
    }
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = requestedDeviceFrames;
    want.callback = deviceCallback;
    SDL_AudioSpec have{};
    output.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (output.device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return "no audio device";
    }
    output.info.kind = OutputKind::device;
    output.info.rate = rate;
    output.info.deviceBufferFrames = have.samples;
    output.info.latencyFrames = latencyFromEnvironment(rate);
    output.info.driver = driver ? driver : "";
    SDL_PauseAudioDevice(output.device, 0);
    return nullptr;
}

void SoundOutput::close() {
    if (info.kind == OutputKind::device) {
        SDL_CloseAudioDevice(device);  // returns after the last callback
        device = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    silentClock.stop();
    info = OutputInfo{};
}

}  // namespace

OutputInfo openOutput(int rate, OutputFill fill) {
    if (output.info.kind != OutputKind::closed) return output.info;
    if (rate <= 0) rate = mixRate;
    output.fill = fill;
    output.handed.store(0);
    output.lastCallback.seq.store(0);
    output.lastCallback.handedAfter.store(0);
    output.lastCallback.timeMs.store(monotonicMs());
    output.lastHeard = -1;
    const char* why = openDevice(rate);
    if (why) {
        std::fprintf(stderr, "zuzor: %s; the music runs silently\n", why);
        startSilentClock(rate);
    }
    return output.info;
}

void closeOutput() {
    output.close();
}

OutputInfo outputInfo() {
    return output.info;
}

uint64_t handedFrames() {
    return output.handed.load(std::memory_order_acquire);
}

int64_t heardFrame() {
    const OutputInfo& info = output.info;
    int64_t heard = -1;
    if (info.kind == OutputKind::silentClock) {
        heard = output.silentClock.heardFrame();
    } else if (info.kind == OutputKind::device) {
        const CallbackStamp& stamp = output.lastCallback;
        uint64_t after = 0;
        double at = 0.0;
        for (;;) {
            const uint32_t before = stamp.seq.load(std::memory_order_acquire);
            after = stamp.handedAfter.load(std::memory_order_relaxed);
            at = stamp.timeMs.load(std::memory_order_relaxed);
            std::atomic_thread_fence(std::memory_order_acquire);
            if (!(before & 1) && before == stamp.seq.load(std::memory_order_relaxed)) break;
        }
        // At the callback the device still had a buffer's worth to play before this one.
        const double now = monotonicMs();
        const int64_t atCallback = int64_t(after) - info.deviceBufferFrames - info.latencyFrames;
        const int64_t since = int64_t((now - at) * info.rate / 1000.0);
        heard = std::min(atCallback + since, int64_t(after) - info.latencyFrames);
    }
    output.lastHeard = std::max(output.lastHeard, heard);
    return output.lastHeard;
}

}  // namespace zuzor
