// The capture's main loop. The sound is rendered a short chunk ahead; then, for every
// audio frame of the chunk, the clock moves on by one frame, the events whose rows start
// by then are applied, the idle body runs (a tick when more than 50 ms have passed) and,
// when a redraw was asked for, one frame is drawn, as GLUT draws once for any number of
// requests before its display callback runs.
#include "capture/show_capture.h"

#include <GL/gl.h>
#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "base/clock.h"
#include "capture/show_clock.h"
#include "demo/demo_state.h"
#include "demo/frame_loop.h"
#include "demo/shell_hooks.h"
#include "demo/start_up.h"
#include "demo/sync_codes.h"
#include "demo/sync_events.h"
#include "platform/offscreen_gl.h"
#include "sync/song_renderer.h"
#include "sync/xm_script.h"

namespace zuzor {

namespace {

// The sound is rendered in the renderer's own chunks (about 0.73 ms); the clock then
// moves through the chunk one audio frame at a time.
constexpr size_t chunkFrames = SongRenderer::chunkFrames;
constexpr size_t progressEveryChunks = 256;

struct CaptureHooks final : ShellHooks {
    bool redraw = false;
    bool quit = false;
    // The demo ends inside the tick, before its redraw request.
    void requestRedraw() override { redraw = !quit; }
    void shutdown() override { quit = true; }
};

// The events of one chunk, in the order playback reached them.
struct PendingEvents final : SyncEventSink {
    std::vector<SyncEvent> events;
    void onEvent(const SyncEvent& event) override { events.push_back(event); }
    void clear() { events.clear(); }
    size_t size() const { return events.size(); }
    const SyncEvent& operator[](size_t i) const { return events[i]; }
};

// One pass through the module, as the mixer plays it without its Z cells.
uint64_t songLengthFrames(const std::vector<uint8_t>& mixerCopy) {
    openmpt_module* module = openmpt_module_create_from_memory2(
        mixerCopy.data(), mixerCopy.size(), openmpt_log_func_silent, nullptr,
        openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr);
    if (!module) return 0;
    const double seconds = openmpt_module_get_duration_seconds(module);
    openmpt_module_destroy(module);
    return uint64_t(std::llround(seconds * mixRate));
}

class Capture {
  public:
    Capture(const CaptureSettings& settings, CaptureSink& sink, CaptureReport& report)
        : settings_(settings), sink_(sink), report_(report) {}
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    bool run(std::string& error);

  private:
    bool startScene(std::string& error);
    void draw();
    // Hands over the video frames whose time is before the clock (or at it, `inclusive`).
    bool emitUpTo(uint64_t clock, bool inclusive);
    bool finish(CaptureEnd end, uint64_t endFrame);

    const CaptureSettings& settings_;
    CaptureSink& sink_;
    CaptureReport& report_;
    std::unique_ptr<OffscreenGl> gl_;
    std::unique_ptr<DemoState> state_;
    std::unique_ptr<SongRenderer> renderer_;
    CaptureHooks hooks_;
    PendingEvents pending_;
    std::vector<uint8_t> rgb_;
    std::vector<uint8_t> scratch_;
    uint64_t nextVideoFrame_ = 0;
    uint64_t drawSerial_ = 0;
    uint64_t readSerial_ = 0;
};

bool Capture::startScene(std::string& error) {
    ScriptedModule scripted;
    if (!readScriptedModule(settings_.module.data(), settings_.module.size(), scripted, error))
        return false;
    report_.songFrames = songLengthFrames(scripted.mixerCopy);
    // The player plays the song over and over; the show ends on its quit event.
    renderer_ = SongRenderer::create(settings_.module.data(), settings_.module.size(), mixRate,
                                     true, error);
    if (!renderer_) return false;

    gl_ = std::make_unique<OffscreenGl>(settings_.width, settings_.height);
    if (!gl_->ok()) {
        error = "no offscreen OpenGL context (EGL) can be made here";
        return false;
    }
    const GLubyte* renderer = glGetString(GL_RENDERER);
    const GLubyte* version = glGetString(GL_VERSION);
    report_.renderer = renderer ? reinterpret_cast<const char*>(renderer) : "unknown";
    report_.glVersion = version ? reinterpret_cast<const char*>(version) : "unknown";
    rgb_.resize(size_t(settings_.width) * settings_.height * 3);
    scratch_.resize(rgb_.size());
    pending_.events.reserve(256);

    setShowClock(0);
    state_ = std::make_unique<DemoState>();
    SceneStart start;
    start.clock = &showTimeSource();
    // The window's default reshape: the viewport covers it before the first frame.
    start.viewportWidth = settings_.width;
    start.viewportHeight = settings_.height;
    // The capture renders its own music; the logo is loaded as the demo loads it.
    start.music = false;
    start.logo = true;
    initScene(*state_, start);
    return true;
}

void Capture::draw() {
    if (!settings_.timeDraws) {
        drawFrame(*state_);
    } else {
        const double start = monotonicMs();
        drawFrame(*state_);
        glFinish();
        report_.drawMs.push_back(monotonicMs() - start);
        report_.drawFrames.push_back(showClock());
    }
    ++drawSerial_;
    ++report_.drawnFrames;
}

uint64_t frameTimeScaled(const CaptureSettings& settings, uint64_t index) {
    return settings.fromFrame * uint64_t(settings.fps) + index * uint64_t(mixRate);
}

bool Capture::emitUpTo(uint64_t clock, bool inclusive) {
    const uint64_t fps = uint64_t(settings_.fps);
    for (;;) {
        const uint64_t t = frameTimeScaled(settings_, nextVideoFrame_);
        if (t > clock * fps || (t == clock * fps && !inclusive)) return true;
        if (settings_.hasTo && t >= settings_.toFrame * fps) return true;
        const uint8_t* pixels = nullptr;
        bool changed = false;
        if (sink_.wantsPixels(nextVideoFrame_)) {
            changed = readSerial_ != drawSerial_ || nextVideoFrame_ == 0;
            if (readSerial_ != drawSerial_) {
                gl_->readRgbTopDown(rgb_.data(), scratch_.data());
                readSerial_ = drawSerial_;
            }
            pixels = rgb_.data();
        }
        if (!sink_.onVideoFrame(nextVideoFrame_, pixels, changed)) return false;
        ++nextVideoFrame_;
        report_.videoFrames = nextVideoFrame_;
    }
}

bool Capture::finish(CaptureEnd end, uint64_t endFrame) {
    report_.end = end;
    report_.endFrame = endFrame;
    return true;
}

bool Capture::run(std::string& error) {
    if (!startScene(error)) return false;
    DemoState& s = *state_;
    // The window's first expose draws the opening picture before any idle call.
    draw();

    const uint64_t expectedEnd = settings_.hasTo ? settings_.toFrame : report_.songFrames;
    bool quitEventSeen = false;
    float chunk[chunkFrames * 2];
    for (uint64_t chunkIndex = 0;; ++chunkIndex) {
        const uint64_t chunkStart = showClock();
        if (chunkIndex % progressEveryChunks == 0) sink_.onProgress(chunkStart, expectedEnd);
        pending_.clear();
        renderer_->render(chunk, chunkFrames, pending_);

        // GLUT calls the idle function continuously: here once per audio frame. An event
        // applies once its row's first frame has been played.
        uint64_t end = 0;
        CaptureEnd reason = CaptureEnd::stopped;
        size_t nextEvent = 0;
        for (uint64_t clock = chunkStart + 1; clock <= chunkStart + chunkFrames; ++clock) {
            // The picture up to this moment is the one drawn before it.
            if (!emitUpTo(clock, false)) return false;
            setShowClock(clock);
            for (; nextEvent < pending_.size() && pending_[nextEvent].frame < clock; ++nextEvent) {
                const uint8_t code = pending_[nextEvent].code;
                if (code == Z64) quitEventSeen = true;
                onSyncEvent(s, hooks_, code);
            }
            if (idleStep(s, hooks_)) report_.tickFrames.push_back(clock);
            if (hooks_.quit) {
                end = clock;
                reason = CaptureEnd::quitEvent;
                break;
            }
            if (hooks_.redraw) {
                hooks_.redraw = false;
                draw();
            }
            if (!emitUpTo(clock, true)) return false;
            if (settings_.hasTo && clock >= settings_.toFrame) {
                end = settings_.toFrame;
                reason = CaptureEnd::toTime;
                break;
            }
            if (!settings_.hasTo && !quitEventSeen && clock >= report_.songFrames) {
                end = clock;
                reason = CaptureEnd::songEnd;
                break;
            }
        }

        const uint64_t audioEnd = reason == CaptureEnd::stopped ? chunkStart + chunkFrames : end;
        const uint64_t audioBegin = std::max(chunkStart, settings_.fromFrame);
        if (audioBegin < audioEnd &&
            !sink_.onAudio(chunk + (audioBegin - chunkStart) * 2, size_t(audioEnd - audioBegin))) {
            error.clear();
            return false;
        }
        if (reason != CaptureEnd::stopped) return finish(reason, end);
    }
}

}  // namespace

bool captureShow(const CaptureSettings& settings, CaptureSink& sink, CaptureReport& report,
                 std::string& error) {
    report = CaptureReport{};
    error.clear();
    Capture capture(settings, sink, report);
    return capture.run(error);
}

uint64_t videoFrameTime(const CaptureSettings& settings, uint64_t index) {
    return frameTimeScaled(settings, index) / uint64_t(settings.fps);
}

}  // namespace zuzor
