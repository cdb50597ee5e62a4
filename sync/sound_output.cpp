// The SDL device and the silent clock behind one music clock. The audio side publishes
// how many frames it has handed over and when; the main thread turns that into the
// frame being heard, interpolating between callbacks with the monotonic clock.
#include "sync/sound_output.h"

#include <SDL2/SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "shell/trace.h"

namespace {

constexpr int requestedDeviceFrames = 1024;  // about 23 ms at 44.1 kHz
constexpr int silentLeadFrames = 1024;       // how far the silent clock renders ahead
constexpr size_t silentChunkFrames = 512;

OutputInfo info;
OutputFill fillFunction = nullptr;
SDL_AudioDeviceID device = 0;

std::atomic<uint64_t> handed{0};

// The last callback, published by the audio thread as a sequence lock (the writer never
// waits; the reader retries on a torn read).
std::atomic<uint32_t> callbackSeq{0};
std::atomic<uint64_t> callbackHandedAfter{0};
std::atomic<double> callbackTimeMs{0.0};

// The silent clock.
std::thread silentThread;
std::atomic<bool> silentRunning{false};
double silentStartMs = 0.0;

// Main thread only: keeps the clock from running backwards. Below frame 0 until the
// device has played its first buffer, so the song's first row waits for it.
int64_t lastHeard = -1;

void silenceSdlLog(void*, int, SDL_LogPriority, const char*) {}

// SDL's ALSA back end loads libasound, which prints its own complaints to stderr when
// there is no sound card. Its error handler is set through the same library SDL loads.
void quietAlsaError(const char*, int, const char*, int, const char*, ...) {}
void silenceAlsa() {
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!alsa) return;  // no ALSA, nothing to silence; kept open for SDL's use otherwise
    auto setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler) setHandler(quietAlsaError);
}

void deviceCallback(void*, Uint8* stream, int length) {
    const size_t frames = size_t(length) / (2 * sizeof(float));
    const uint64_t first = handed.load(std::memory_order_relaxed);
    fillFunction(reinterpret_cast<float*>(stream), frames, first);
    const uint32_t seq = callbackSeq.load(std::memory_order_relaxed);
    callbackSeq.store(seq + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    callbackHandedAfter.store(first + frames, std::memory_order_relaxed);
    callbackTimeMs.store(traceNowMs(), std::memory_order_relaxed);
    callbackSeq.store(seq + 2, std::memory_order_release);
    handed.store(first + frames, std::memory_order_release);
}

void silentClockLoop() {
    static float scratch[silentChunkFrames * 2];
    while (silentRunning.load(std::memory_order_acquire)) {
        const double elapsedMs = traceNowMs() - silentStartMs;
        const uint64_t target = uint64_t(elapsedMs * info.rate / 1000.0) + silentLeadFrames;
        uint64_t done = handed.load(std::memory_order_relaxed);
        while (done < target) {
            const size_t frames = size_t(std::min<uint64_t>(silentChunkFrames, target - done));
            fillFunction(scratch, frames, done);
            done += frames;
            handed.store(done, std::memory_order_release);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

int latencyFromEnvironment(int rate) {
    const char* text = std::getenv("ZUZOR_AUDIO_LATENCY_MS");
    if (!text || !*text) return 0;
    return int(std::strtod(text, nullptr) * rate / 1000.0);
}

void startSilentClock(int rate) {
    info.kind = OutputKind::silentClock;
    info.rate = rate;
    info.deviceBufferFrames = silentLeadFrames;
    info.latencyFrames = 0;
    info.driver = "silent clock";
    silentStartMs = traceNowMs();
    silentRunning.store(true, std::memory_order_release);
    silentThread = std::thread(silentClockLoop);
}

// Why there is no device, or null when one opened.
const char* openDevice(int rate) {
    const char* wanted = std::getenv("ZUZOR_AUDIO");
    if (wanted && std::strcmp(wanted, "off") == 0) return "ZUZOR_AUDIO=off";
    SDL_LogSetOutputFunction(silenceSdlLog, nullptr);
    silenceAlsa();
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
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return "no audio device";
    }
    info.kind = OutputKind::device;
    info.rate = rate;
    info.deviceBufferFrames = have.samples;
    info.latencyFrames = latencyFromEnvironment(rate);
    info.driver = driver ? driver : "";
    SDL_PauseAudioDevice(device, 0);
    return nullptr;
}

}  // namespace

OutputInfo openOutput(int rate, OutputFill fill) {
    if (info.kind != OutputKind::closed) return info;
    if (rate <= 0) rate = 44100;
    fillFunction = fill;
    handed.store(0);
    callbackSeq.store(0);
    callbackHandedAfter.store(0);
    callbackTimeMs.store(traceNowMs());
    lastHeard = -1;
    const char* why = openDevice(rate);
    if (why) {
        std::fprintf(stderr, "zuzor: %s; the music runs silently\n", why);
        startSilentClock(rate);
    }
    return info;
}

void closeOutput() {
    if (info.kind == OutputKind::device) {
        SDL_CloseAudioDevice(device);  // returns after the last callback
        device = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    } else if (info.kind == OutputKind::silentClock) {
        silentRunning.store(false, std::memory_order_release);
        if (silentThread.joinable()) silentThread.join();
    }
    info = OutputInfo{};
}

OutputInfo outputInfo() {
    return info;
}

uint64_t handedFrames() {
    return handed.load(std::memory_order_acquire);
}

int64_t heardFrame() {
    const double now = traceNowMs();
    int64_t heard = -1;
    if (info.kind == OutputKind::silentClock) {
        heard = int64_t((now - silentStartMs) * info.rate / 1000.0);
        heard = std::min<int64_t>(heard, int64_t(handedFrames()));
    } else if (info.kind == OutputKind::device) {
        uint64_t after = 0;
        double at = 0.0;
        for (;;) {
            const uint32_t before = callbackSeq.load(std::memory_order_acquire);
            after = callbackHandedAfter.load(std::memory_order_relaxed);
            at = callbackTimeMs.load(std::memory_order_relaxed);
            std::atomic_thread_fence(std::memory_order_acquire);
            if (!(before & 1) && before == callbackSeq.load(std::memory_order_relaxed)) break;
        }
        // At the callback the device still had a buffer's worth to play before this one.
        const int64_t atCallback = int64_t(after) - info.deviceBufferFrames - info.latencyFrames;
        const int64_t since = int64_t((now - at) * info.rate / 1000.0);
        heard = std::min(atCallback + since, int64_t(after) - info.latencyFrames);
    }
    lastHeard = std::max(lastHeard, heard);
    return lastHeard;
}
