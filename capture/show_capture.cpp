// The capture's main loop: the show on the sound's clock (demo/show_seek.h), a short chunk
// of sound ahead; for every audio frame the video frames due are handed over, the show
// moves on, and a requested frame is drawn (hidden while far before --from).
#include "capture/show_capture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "base/clock.h"
#include "capture/picture_readback.h"
#include "demo/show.h"
#include "demo/show_seek.h"
#include "platform/offscreen_gl.h"
#include "sync/song_renderer.h"

namespace zuzor {

namespace {

constexpr size_t progressEveryChunks = 256;

struct DiscardEvents final : SyncEventSink {
    void onEvent(const SyncEvent&) override {}
};

// One pass through the module as played: rendered to its end, as the timeline renders it,
// so jumps, loops, pattern delays and tempo changes count exactly as they sound. The
// mixer's own duration estimate can miss that end by a good part of a second.
uint64_t songLengthFrames(const std::vector<uint8_t>& module) {
    std::string error;
    auto pass = SongRenderer::create(module.data(), module.size(), mixRate, false, error);
    if (!pass) return 0;
    DiscardEvents discard;
    while (!pass->ended()) pass->render(nullptr, 1u << 16, discard);
    return pass->framesRendered();
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
    std::unique_ptr<Show> scene_;
    std::unique_ptr<SoundClockShow> show_;
    std::unique_ptr<PictureReadback> readback_;
    std::vector<uint8_t> rgb_;
    uint64_t nextVideoFrame_ = 0;
    uint64_t drawSerial_ = 0;
    uint64_t readSerial_ = 0;
};

bool Capture::startScene(std::string& error) {
    // The player plays the song over and over; the show ends on its quit event.
    auto renderer = SongRenderer::create(settings_.module.data(), settings_.module.size(), mixRate,
                                         true, error);
    if (!renderer) return false;
    report_.songFrames = songLengthFrames(settings_.module);

    // The GL draws the 4:3 picture alone, `factor` times as large as its place in the frame.
    const int factor = settings_.supersample;
    const PictureRect picture = centredFourByThree(settings_.width, settings_.height);
    gl_ = std::make_unique<OffscreenGl>(picture.width * factor, picture.height * factor);
    if (!gl_->ok()) {
        error = "no offscreen OpenGL context (EGL) of " + std::to_string(gl_->width()) + "x" +
                std::to_string(gl_->height()) + " can be made here";
        return false;
    }
    const GLubyte* glRenderer = glGetString(GL_RENDERER);
    const GLubyte* version = glGetString(GL_VERSION);
    report_.renderer = glRenderer ? reinterpret_cast<const char*>(glRenderer) : "unknown";
    report_.glVersion = version ? reinterpret_cast<const char*>(version) : "unknown";
    rgb_.resize(size_t(settings_.width) * settings_.height * 3);
    readback_ =
        std::make_unique<PictureReadback>(settings_.width, settings_.height, picture, factor);

    scene_ = std::make_unique<Show>();
    SceneStart start;
    start.onSongClock = true;
    // The window's default reshape: the viewport covers it before the first frame.
    start.viewportWidth = gl_->width();
    start.viewportHeight = gl_->height();
    // Lines as wide on the video as on the show's own 600 lines; never thinner, so small
    // previews keep the show's pixels.
    start.pixelScale = std::max(1.0f, float(picture.height) / float(showLines)) * float(factor);
    // The capture renders its own music; the logo is loaded as the demo loads it.
    start.music = false;
    start.logo = true;
    scene_->begin(start);
    show_ = std::make_unique<SoundClockShow>(*scene_, std::move(renderer));
    return true;
}

// Before --from the show is fast-forwarded: its frames are drawn hidden, but those within
// reach of --from in full, so the picture at --from is the one a full run shows there.
void Capture::draw() {
    const uint64_t clock = show_->clock();
    const bool hidden = clock + SoundClockShow::fullDrawSpan <= settings_.fromFrame;
    if (!settings_.timeDraws || hidden) {
        show_->draw(hidden);
    } else {
        const double start = monotonicMs();
        show_->draw(false);
        glFinish();
        report_.drawMs.push_back(monotonicMs() - start);
        report_.drawFrames.push_back(clock);
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
            // Only a show that skipped its ticks could leave a hidden frame standing here.
            if (show_->lastDrawHidden()) {
                show_->redrawLast();
                ++drawSerial_;
            }
            changed = readSerial_ != drawSerial_ || nextVideoFrame_ == 0;
            if (readSerial_ != drawSerial_) {
                readback_->read(*gl_, rgb_.data());
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
    SoundClockShow& show = *show_;
    // The window's first expose draws the opening picture before any idle call.
    draw();

    const uint64_t expectedEnd = settings_.hasTo ? settings_.toFrame : report_.songFrames;
    for (uint64_t chunkIndex = 0;; ++chunkIndex) {
        const uint64_t chunkStart = show.clock();
        if (chunkIndex % progressEveryChunks == 0) sink_.onProgress(chunkStart, expectedEnd);
        show.renderChunk();

        uint64_t end = 0;
        CaptureEnd reason = CaptureEnd::stopped;
        while (show.clock() < show.chunkEnd()) {
            const uint64_t clock = show.clock() + 1;
            // The picture up to this moment is the one drawn before it.
            if (!emitUpTo(clock, false)) return false;
            const SoundClockShow::Step step = show.advance();
            if (step.ticked) report_.tickFrames.push_back(clock);
            if (step.quit) {
                end = clock;
                reason = CaptureEnd::quitEvent;
                break;
            }
            if (step.redraw) draw();
            if (!emitUpTo(clock, true)) return false;
            if (settings_.hasTo && clock >= settings_.toFrame) {
                end = settings_.toFrame;
                reason = CaptureEnd::toTime;
                break;
            }
            if (!settings_.hasTo && !show.quitEventSeen() && clock >= report_.songFrames) {
                end = clock;
                reason = CaptureEnd::songEnd;
                break;
            }
        }

        const uint64_t audioEnd = reason == CaptureEnd::stopped ? show.chunkEnd() : end;
        const uint64_t audioBegin = std::max(chunkStart, settings_.fromFrame);
        if (audioBegin < audioEnd &&
            !sink_.onAudio(show.chunkSound() + (audioBegin - chunkStart) * 2,
                           size_t(audioEnd - audioBegin))) {
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
