// The browser's sound stream under the portable sound output (platform/sound_output.cpp):
// Web Audio through a script processor, which asks for each buffer on the page's one
// thread; the stream's feed renders it, and posts when the buffer's first frame will be
// heard, from the context's output timestamp. The page makes the context inside the
// viewer's click; a context that is not running (no gesture yet, no Web Audio at all)
// opens no stream, and the output runs the silent clock.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/output_backend.h"

namespace zuzor {

namespace {

constexpr int processorFrames = 2048;

class WebAudioStream;

// The one stream the processor feeds.
struct WebAudio {
    WebAudioStream* stream = nullptr;
    float buffer[processorFrames * 2] = {};
};

WebAudio audio;

// clang-format off
// Whether the page's context runs at `rate` (0: none; -1: made but not running).
EM_JS(int, webAudioState, (int rate), {
    const context = Module.zuzorAudioContext;
    if (!context || context.sampleRate !== rate) return 0;
    return context.state === "running" ? 1 : -1;
});

// Connects a script processor that calls zuzor_web_fill for every buffer.
EM_JS(void, startWebAudio, (int frames, float* buffer), {
    const context = Module.zuzorAudioContext;
    const processor = context.createScriptProcessor(frames, 0, 2);
    processor.onaudioprocess = (event) => {
        const left = event.outputBuffer.getChannelData(0);
        const right = event.outputBuffer.getChannelData(1);
        // The page's clock at context time 0, as heard: from the output timestamp, or
        // before the output has given one, from the context's clock and its latency.
        const stamp = context.getOutputTimestamp();
        const pageMsAtZero = stamp.performanceTime > 0
            ? stamp.performanceTime - stamp.contextTime * 1000
            : performance.now() - (context.currentTime - (context.outputLatency || 0)) * 1000;
        const first = Module._zuzor_web_fill(frames, event.playbackTime, pageMsAtZero);
        const heap = HEAPF32.subarray(buffer >> 2, (buffer >> 2) + 2 * frames);
        for (let i = 0; i < frames; ++i) {
            left[i] = heap[2 * i];
            right[i] = heap[2 * i + 1];
        }
        if (Module.zuzorFirstSoundMs === undefined || Module.zuzorFirstSoundMs < 0) {
            Module.zuzorFirstSoundMs = performance.now();
            Module.zuzorFirstSoundContextTime = event.playbackTime;
        }
        Module.zuzorHanded = first + frames;
    };
    processor.connect(context.destination);
    Module.zuzorFirstSoundMs = -1;
    Module.zuzorProcessor = processor;
});

EM_JS(void, stopWebAudio, (), {
    if (Module.zuzorProcessor) {
        Module.zuzorProcessor.disconnect();
        Module.zuzorProcessor.onaudioprocess = null;
        Module.zuzorProcessor = null;
    }
});
// clang-format on

class WebAudioStream final : public OutputBackend {
  public:
    explicit WebAudioStream(StreamFeed& feed) : feed_(feed) {
        audio.stream = this;
        startWebAudio(processorFrames, audio.buffer);
    }
    ~WebAudioStream() override {
        stopWebAudio();
        if (audio.stream == this) audio.stream = nullptr;
    }
    const char* driver() const override { return "webaudio"; }
    int bufferFrames() const override { return processorFrames; }
    // A page in the background gets no animation frames and may get its buffers late.
    double stallLimitMs() const override { return 1000.0; }

    // One buffer: rendered into the shared buffer, and the time its first frame is heard.
    // Frame 0 is heard no earlier than any buffer's playbackTime less the frames before it,
    // and the frames play one after another: the latest such bound is when frame 0 is
    // heard. Chrome asks for several buffers at once at the start and then reports
    // playbackTime a buffer ahead of its clock, though its queue holds more: only the
    // first buffers tell the truth, and a gap in the output (a buffer too late) moves the
    // bound on.
    uint64_t fill(int frames, double playbackTime, double pageMsAtContextZero) {
        const uint64_t first = written_;
        feed_.render(audio.buffer, size_t(frames), first);
        written_ += uint64_t(frames);
        const double bound = playbackTime - double(first) / feed_.rate();
        if (!zeroKnown_ || bound > zeroContextTime_) {
            zeroKnown_ = true;
            zeroContextTime_ = bound;
        }
        const double heardAt = zeroContextTime_ + double(first) / feed_.rate();
        feed_.postTiming(int64_t(first), pageMsAtContextZero + heardAt * 1000.0);
        return first;
    }

  private:
    StreamFeed& feed_;
    uint64_t written_ = 0;
    bool zeroKnown_ = false;
    double zeroContextTime_ = 0.0;
};

}  // namespace

std::unique_ptr<OutputBackend> openHostOutput(int rate, StreamFeed& feed, std::string& why) {
    const int state = webAudioState(rate);
    if (state == 0) {
        why = "no sound in this page";
        return nullptr;
    }
    if (state < 0) {
        why = "the page's sound did not start";
        return nullptr;
    }
    return std::make_unique<WebAudioStream>(feed);
}

std::unique_ptr<OutputBackend> openHostDriver(const std::string& driver, int rate, StreamFeed& feed,
                                              std::string& why) {
    if (driver != "webaudio") return nullptr;
    return openHostOutput(rate, feed, why);
}

// No SDL in the page: the host's stream is the only one.
std::unique_ptr<OutputBackend> openSdlOutput(int, StreamFeed&, std::string&) {
    return nullptr;
}

}  // namespace zuzor

// The processor's buffer: renders the next `frames` into the shared buffer and returns the
// stream frame they start with.
extern "C" EMSCRIPTEN_KEEPALIVE double zuzor_web_fill(int frames, double playbackTime,
                                                      double pageMsAtContextZero) {
    using namespace zuzor;
    if (!audio.stream) {
        std::fill(audio.buffer, audio.buffer + 2 * frames, 0.0f);
        return 0.0;
    }
    return double(audio.stream->fill(frames, playbackTime, pageMsAtContextZero));
}
