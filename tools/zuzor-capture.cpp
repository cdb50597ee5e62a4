// zuzor-capture: the show rendered offline, deterministically, to a video with its sound
// (or to PNG frames and a WAV), as fast as the machine allows.
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/constants.h"
#include "base/file_bytes.h"
#include "capture/capture_options.h"
#include "capture/mp4_encoder.h"
#include "capture/png_file.h"
#include "capture/progress_bar.h"
#include "capture/render_profile.h"
#include "capture/show_capture.h"
#include "capture/sink_worker.h"
#include "capture/wav_file.h"

using namespace zuzor;

namespace {

constexpr int framePngCompression = 3;
constexpr int stillPngCompression = 9;

int fail(const std::string& message) {
    std::fprintf(stderr, "zuzor-capture: %s\n", message.c_str());
    return 1;
}

// Makes the directory unless it is there; `made` says whether this run made it.
bool makeDirectory(const std::string& path, bool& made) {
    struct stat info {};
    made = false;
    if (stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    made = mkdir(path.c_str(), 0777) == 0;
    return made;
}

uint64_t toAudioFrames(double seconds) {
    return uint64_t(std::llround(seconds * mixRate));
}

// Everything but the video proper: the progress bar and, for frames, the files.
struct SinkBase : CaptureSink {
    ProgressBar progress;
    std::string failure;
    explicit SinkBase(bool quiet) : progress(!quiet) {}
    // The sinks are owned and deleted through this base.
    virtual ~SinkBase() = default;
    void onProgress(uint64_t clock, uint64_t expectedEnd) override {
        progress.update(clock, std::max(clock, expectedEnd));
    }
    // A capture that fails leaves no output: everything written so far goes again.
    virtual void discard() {}
};

// PNG frames and audio.wav. A picture that did not change is the same file again, encoded once.
struct FramesSink final : SinkBase {
    std::string dir;
    int width, height;
    WavFile wav;
    std::vector<uint8_t> png;
    char name[64];
    uint64_t framesWritten = 0;  // frame-000000.png up to this one, not included
    FramesSink(bool quiet, std::string d, int w, int h)
        : SinkBase(quiet), dir(std::move(d)), width(w), height(h) {}
    std::string framePath(uint64_t index) {
        std::snprintf(name, sizeof name, "/frame-%06llu.png", (unsigned long long)index);
        return dir + name;
    }
    bool onVideoFrame(uint64_t index, const uint8_t* rgb, bool changed) override {
        if (changed && !encodePng(rgb, width, height, framePngCompression, png)) {
            failure = "cannot encode a PNG";
            return false;
        }
        const std::string path = framePath(index);
        framesWritten = index + 1;
        if (!writeWholeFile(path, png)) {
            failure = "cannot write " + path;
            return false;
        }
        return true;
    }
    void discard() override {
        wav.close();
        std::remove((dir + "/audio.wav").c_str());
        for (uint64_t index = 0; index < framesWritten; ++index)
            std::remove(framePath(index).c_str());
    }
    bool onAudio(const float* stereo, size_t frames) override {
        if (wav.write(stereo, frames)) return true;
        failure = "cannot write " + dir + "/audio.wav";
        return false;
    }
};

// Only the pictures at chosen moments; no sound.
struct StillsSink final : SinkBase {
    std::string dir;
    int width, height;
    std::vector<uint64_t> indices;
    std::vector<std::string> names;
    std::vector<std::string> written;
    std::vector<uint8_t> png;
    StillsSink(bool quiet, std::string d, int w, int h)
        : SinkBase(quiet), dir(std::move(d)), width(w), height(h) {}
    bool wantsPixels(uint64_t index) override {
        for (uint64_t i : indices)
            if (i == index) return true;
        return false;
    }
    bool onVideoFrame(uint64_t index, const uint8_t* rgb, bool) override {
        for (size_t i = 0; i < indices.size(); ++i) {
            if (indices[i] != index) continue;
            const std::string path = dir + "/at-" + names[i] + ".png";
            written.push_back(path);
            if (!encodePng(rgb, width, height, stillPngCompression, png) ||
                !writeWholeFile(path, png)) {
                failure = "cannot write " + path;
                return false;
            }
        }
        return true;
    }
    bool onAudio(const float*, size_t) override { return true; }
    void discard() override {
        for (const std::string& path : written) std::remove(path.c_str());
    }
};

// Only the pictures that changed go to the encoder, each at its video frame's moment.
struct VideoSink final : SinkBase {
    Mp4Encoder encoder;  // an unfinished video leaves nothing behind
    std::string out;
    bool finished = false;  // `out` is written
    VideoSink(bool quiet, std::string o) : SinkBase(quiet), out(std::move(o)) {}
    void discard() override {
        if (finished) std::remove(out.c_str());
    }
    bool onVideoFrame(uint64_t index, const uint8_t* rgb, bool changed) override {
        if (!changed || encoder.writePicture(rgb, int64_t(index))) return true;
        failure = encoder.failure();
        return false;
    }
    bool onAudio(const float* stereo, size_t frames) override {
        if (encoder.writeSound(stereo, frames)) return true;
        failure = encoder.failure();
        return false;
    }
};

// Renders and measures only.
struct DryRunSink final : SinkBase {
    explicit DryRunSink(bool quiet) : SinkBase(quiet) {}
    bool wantsPixels(uint64_t) override { return false; }
    bool onVideoFrame(uint64_t, const uint8_t*, bool) override { return true; }
    bool onAudio(const float*, size_t) override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    if (!parseCaptureOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "zuzor-capture: %s\n%s", error.c_str(), captureUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(captureUsage, stdout);
        return 0;
    }
    // Mesa's software renderer gives the same pixels on every run and every machine.
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);

    CaptureSettings settings;
    if (!readWholeFile(options.module, settings.module))
        return fail("cannot read " + options.module + " (run from the directory that holds Data/)");
    settings.width = options.width;
    settings.height = options.height;
    settings.supersample = options.supersample;
    settings.fps = options.fps;
    settings.fromFrame = toAudioFrames(options.from);
    settings.hasTo = options.hasTo;
    settings.toFrame = toAudioFrames(options.to);
    settings.timeDraws = !options.profileFile.empty();

    std::string framesDir = options.framesDir;
    const bool wantVideo = framesDir.empty() && (options.outGiven || options.profileFile.empty());
    if (wantVideo && !mp4EncodersPresent()) {
        std::string base = options.out;
        const size_t dot = base.rfind('.');
        if (dot != std::string::npos && base.find('/', dot) == std::string::npos) base.erase(dot);
        framesDir = base + "-frames";
        std::fprintf(stderr,
                     "zuzor-capture: the ffmpeg libraries have no H.264 or AAC encoder: writing "
                     "PNG frames and audio.wav to %s/ instead of %s\n",
                     framesDir.c_str(), options.out.c_str());
    }

    std::unique_ptr<SinkBase> sink;
    bool madeDirectory = false;
    if (!options.stills.empty()) {
        if (!makeDirectory(framesDir, madeDirectory))
            return fail("cannot make the directory " + framesDir);
        auto stills =
            std::make_unique<StillsSink>(options.quiet, framesDir, settings.width, settings.height);
        uint64_t last = 0;
        for (double t : options.stills) {
            // The first video frame at or after the moment shows what the demo shows then.
            const uint64_t index = uint64_t(std::ceil(t * settings.fps - 1e-9));
            stills->indices.push_back(index);
            last = std::max(last, index);
        }
        stills->names = options.stillNames;
        settings.hasTo = true;
        settings.toFrame = videoFrameTime(settings, last) + 1;
        sink = std::move(stills);
    } else if (!framesDir.empty()) {
        if (!makeDirectory(framesDir, madeDirectory))
            return fail("cannot make the directory " + framesDir);
        auto frames =
            std::make_unique<FramesSink>(options.quiet, framesDir, settings.width, settings.height);
        sink = std::move(frames);
    } else if (wantVideo) {
        auto video = std::make_unique<VideoSink>(options.quiet, options.out);
        Mp4Format format;
        format.width = settings.width;
        format.height = settings.height;
        format.ticksPerSecond = settings.fps;
        format.sampleRate = mixRate;
        if (!video->encoder.open(options.out, format, error)) return fail(error);
        sink = std::move(video);
    } else {
        sink = std::make_unique<DryRunSink>(options.quiet);
    }

    // From here on a failure takes back what the capture wrote, the directory it made too.
    auto failAndDiscard = [&](const std::string& message) {
        sink->discard();
        if (madeDirectory) rmdir(framesDir.c_str());
        return fail(message);
    };
    if (auto* frames = dynamic_cast<FramesSink*>(sink.get());
        frames && !frames->wav.open(framesDir + "/audio.wav", mixRate))
        return failAndDiscard("cannot write " + framesDir + "/audio.wav");

    const double startedMs = monotonicMs();
    CaptureReport report;
    // The encoders work on a thread of their own while the show is drawn.
    SinkWorker worker(*sink, size_t(settings.width) * size_t(settings.height) * 3);
    const bool captured = captureShow(settings, worker, report, error);
    const bool delivered = worker.finish();
    const double wallSeconds = (monotonicMs() - startedMs) / 1000.0;
    if (!captured || !delivered) return failAndDiscard(error.empty() ? sink->failure : error);
    sink->progress.finish(report.endFrame);

    if (auto* frames = dynamic_cast<FramesSink*>(sink.get()); frames && !frames->wav.close())
        return failAndDiscard("cannot write " + framesDir + "/audio.wav");
    if (auto* video = dynamic_cast<VideoSink*>(sink.get())) {
        if (!video->encoder.finish(int64_t(report.videoFrames), error))
            return failAndDiscard(error);
        video->finished = true;
    }
    if (report.videoFrames == 0 && options.profileFile.empty())
        return failAndDiscard("nothing to capture: the show ends before --from");

    if (!options.profileFile.empty()) {
        const std::string text = profileReport(settings, report, wallSeconds);
        if (!writeWholeFile(options.profileFile, std::vector<uint8_t>(text.begin(), text.end())))
            return fail("cannot write " + options.profileFile);
    }
    return 0;
}
