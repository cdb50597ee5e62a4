// The show run offline: the module rendered chunk by chunk is the clock, the demo's own
// idle and tick bodies run against it, and every frame the demo would draw is drawn.
// Video frames sample that picture at a fixed rate; the sound goes along with them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zuzor {

struct CaptureSettings {
    std::vector<uint8_t> module;  // the XM file's bytes
    int width = 800;  // the video's; a picture of another shape than 4:3 gets black bars
    int height = 600;
    int supersample = 1;  // the show is drawn this many times larger and filtered down
    int fps = 60;
    uint64_t fromFrame = 0;  // where the video starts, in audio frames of the show
    bool hasTo = false;
    uint64_t toFrame = 0;  // where it ends at the latest, in audio frames
    // Wait for every drawn frame to finish and time it (for the profile).
    bool timeDraws = false;
};

// Receives the capture's output in show order.
struct CaptureSink {
    // Whether video frame `index` (0 at the start of the video) needs its pixels. Frames
    // that do not are still counted and handed over, without pixels.
    virtual bool wantsPixels(uint64_t /*index*/) { return true; }
    // `rgb`: width * height * 3 bytes, top row first, or null. `changed`: a frame has been
    // drawn since the last video frame that was handed pixels. False stops the capture.
    virtual bool onVideoFrame(uint64_t index, const uint8_t* rgb, bool changed) = 0;
    // Interleaved stereo float samples at mixRate. False stops the capture.
    virtual bool onAudio(const float* stereo, size_t frames) = 0;
    // Now and then: how far the show has got, and where it is expected to end.
    virtual void onProgress(uint64_t /*clock*/, uint64_t /*expectedEnd*/) {}

  protected:
    ~CaptureSink() = default;
};

enum class CaptureEnd { quitEvent, toTime, songEnd, stopped };

struct CaptureReport {
    CaptureEnd end = CaptureEnd::stopped;
    uint64_t endFrame = 0;    // the show's last moment, in audio frames
    uint64_t songFrames = 0;  // one pass through the module
    uint64_t videoFrames = 0;
    uint64_t drawnFrames = 0;
    std::vector<uint64_t> tickFrames;  // the clock at every tick
    std::vector<double> drawMs;        // every drawn frame's render time, with timeDraws
    std::vector<uint64_t> drawFrames;  // and the clock when it was drawn
    std::string renderer;              // GL_RENDERER and GL_VERSION of the context used
    std::string glVersion;
};

// Runs the show from its start. Needs Data/ below the working directory for the images.
// False, with a reason in `error`, when the module or the GL context cannot be had; a
// sink that stops the capture gives false with an empty error.
bool captureShow(const CaptureSettings& settings, CaptureSink& sink, CaptureReport& report,
                 std::string& error);

// The show time of video frame `index`, in audio frames (rounded down).
uint64_t videoFrameTime(const CaptureSettings& settings, uint64_t index);

}  // namespace zuzor
