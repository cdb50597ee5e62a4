// The sound output in the browser, over Web Audio: a script processor on the page's one
// thread asks for each buffer, our fill function renders it, and the context's output
// timestamp says which frame is heard. Where no context can run (no Web Audio, sound
// muted), the silent clock of this file renders at the pace of the page's clock instead,
// called from the main loop through heardFrame(); nothing here has a thread.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/clock.h"
#include "platform/sound_output.h"

namespace zuzor {

namespace {

constexpr int processorFrames = 2048;
// How far ahead of the heard frame the silent clock renders, like a device's buffer.
constexpr int silentLeadFrames = 1024;
// A context that asks for no buffer this long after the output opened will not play (the
// browser keeps it suspended without the viewer's gesture): the silent clock takes over.
constexpr double firstBufferLimitMs = 1000.0;

struct WebOutput {
    OutputInfo info;
    OutputFill fill = nullptr;
    uint64_t handed = 0;
    int64_t lastHeard = -1;
    bool silent = false;  // keepOutputSilent
    double silentStartMs = 0.0;
    double openedMs = 0.0;
    float buffer[processorFrames * 2] = {};
};

WebOutput output;

double nowMs() {
    return double(monotonicNs()) / 1e6;
}

// clang-format off
// Starts the page's audio context and its processor at `rate`; false where there is none.
// The context was made (and resumed, inside the viewer's click) by the page; here it gets
// its processor, which calls zuzor_web_fill for every buffer.
EM_JS(int, startWebAudio, (int rate, int frames, float* buffer), {
    const context = Module.zuzorAudioContext;
    if (!context || context.sampleRate !== rate) return 0;
    const processor = context.createScriptProcessor(frames, 0, 2);
    Module.zuzorFirstSoundMs = -1;
    processor.onaudioprocess = (event) => {
        const left = event.outputBuffer.getChannelData(0);
        const right = event.outputBuffer.getChannelData(1);
        const first = Module._zuzor_web_fill(frames, event.playbackTime);
        const heap = HEAPF32.subarray(buffer >> 2, (buffer >> 2) + 2 * frames);
        for (let i = 0; i < frames; ++i) {
            left[i] = heap[2 * i];
            right[i] = heap[2 * i + 1];
        }
        if (Module.zuzorFirstSoundMs < 0) {
            Module.zuzorFirstSoundMs = performance.now();
            Module.zuzorFirstSoundContextTime = event.playbackTime;
        }
        Module.zuzorHanded = first + frames;
    };
    processor.connect(context.destination);
    Module.zuzorProcessor = processor;
    return 1;
});

// The context time heard now, from the output timestamp carried to the page's clock.
EM_JS(double, heardContextTime, (), {
    const context = Module.zuzorAudioContext;
    if (!context) return -1;
    if (context.getOutputTimestamp) {
        const stamp = context.getOutputTimestamp();
        if (stamp.contextTime !== undefined && stamp.performanceTime > 0)
            return stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000;
    }
    return context.currentTime - (context.outputLatency || context.baseLatency || 0);
});

EM_JS(void, stopWebAudio, (), {
    if (Module.zuzorProcessor) {
        Module.zuzorProcessor.disconnect();
        Module.zuzorProcessor.onaudioprocess = null;
        Module.zuzorProcessor = null;
    }
});
// clang-format on

// The context time at which output frame 0 plays. A buffer cannot play before its
// playbackTime, and the frames play one after another, so each buffer bounds it from
// below; the latest bound is the estimate. Chrome asks for several buffers at once at the
// start and then reports playbackTime a buffer ahead of its clock, though its queue holds
// more: only the first buffers tell the truth, and a gap in the output (a buffer too late)
// moves the bound on.
struct FrameZero {
    double contextTime = 0.0;
    bool known = false;
};
FrameZero frameZero;

void renderSilentUpTo(int64_t heard) {
    const uint64_t target = uint64_t(std::max<int64_t>(0, heard + silentLeadFrames));
    while (output.handed < target) {
        const size_t frames = size_t(std::min<uint64_t>(processorFrames, target - output.handed));
        output.fill(output.buffer, frames, output.handed);
        output.handed += frames;
    }
}

void startSilentClock() {
    output.info.kind = OutputKind::silentClock;
    output.info.deviceBufferFrames = silentLeadFrames;
    output.info.driver = "silent";
    output.silentStartMs = nowMs();
    renderSilentUpTo(-1);
}

}  // namespace

OutputInfo openOutput(int rate, OutputFill fill) {
    if (output.info.kind != OutputKind::closed) return output.info;
    output.fill = fill;
    output.handed = 0;
    output.lastHeard = -1;
    frameZero = {};
    output.info = {};
    output.info.rate = rate;
    if (!output.silent && startWebAudio(rate, processorFrames, output.buffer)) {
        output.info.kind = OutputKind::device;
        output.info.deviceBufferFrames = processorFrames;
        output.info.driver = "webaudio";
        output.openedMs = nowMs();
        return output.info;
    }
    if (!output.silent)
        std::fprintf(stderr, "zuzor: no sound in this page; the show runs silent\n");
    output.info.kind = OutputKind::silentClock;
    output.info.deviceBufferFrames = silentLeadFrames;
    output.info.driver = "silent";
    output.silentStartMs = nowMs();
    renderSilentUpTo(-1);
    return output.info;
}

void keepOutputSilent() {
    output.silent = true;
}

void closeOutput() {
    if (output.info.kind == OutputKind::device) stopWebAudio();
    output.info = {};
    output.fill = nullptr;
}

OutputInfo outputInfo() {
    return output.info;
}

uint64_t handedFrames() {
    return output.handed;
}

int64_t heardFrame() {
    int64_t heard = -1;
    if (output.info.kind == OutputKind::device && !frameZero.known &&
        nowMs() - output.openedMs > firstBufferLimitMs) {
        stopWebAudio();
        std::fprintf(stderr, "zuzor: the page's sound did not start; the show runs silent\n");
        startSilentClock();
    }
    if (output.info.kind == OutputKind::silentClock) {
        heard = int64_t((nowMs() - output.silentStartMs) * output.info.rate / 1000.0);
        renderSilentUpTo(heard);
    } else if (output.info.kind == OutputKind::device && frameZero.known) {
        const double seconds = heardContextTime() - frameZero.contextTime;
        heard = int64_t(std::floor(seconds * output.info.rate));
        heard = std::min<int64_t>(heard, int64_t(output.handed) - 1);
    }
    output.lastHeard = std::max(output.lastHeard, heard);
    return output.lastHeard;
}

}  // namespace zuzor

// The processor's buffer: renders the next `frames` into the shared buffer and returns the
// output frame they start with, which the context plays from `playbackTime` on.
extern "C" EMSCRIPTEN_KEEPALIVE double zuzor_web_fill(int frames, double playbackTime) {
    using namespace zuzor;
    const uint64_t first = output.handed;
    if (output.fill)
        output.fill(output.buffer, size_t(frames), first);
    else
        std::fill(output.buffer, output.buffer + 2 * frames, 0.0f);
    output.handed += uint64_t(frames);
    if (output.info.rate > 0) {
        const double bound = playbackTime - double(first) / output.info.rate;
        if (!frameZero.known || bound > frameZero.contextTime) frameZero = {bound, true};
    }
    return double(first);
}
