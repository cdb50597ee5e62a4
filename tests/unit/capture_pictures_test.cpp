// Visual regression: the show captured at 400x300, one picture per scene, compared with
// the references in tests/reference. Mesa's software renderer draws the same pixels run
// after run; the tolerance only absorbs a different Mesa or LLVM on another machine.
// ZUZOR_UPDATE_REFERENCES=1 writes the references from this run instead.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "base/constants.h"
#include "base/file_bytes.h"
#include "capture/png_file.h"
#include "capture/show_capture.h"
#include "sync/song_renderer.h"

using namespace zuzor;

namespace {

struct Scene {
    const char* name;
    double seconds;  // a moment of the show where the scene is on screen
};

// From the show's timeline (zuzor-timeline Data/ZUZOR.XM).
const Scene scenes[] = {
    {"voxel_field", 12.0}, {"tower", 30.0}, {"grid", 45.0}, {"warp", 60.0}, {"logo", 134.0},
};
constexpr int width = 400;
constexpr int height = 300;
constexpr int fps = 60;

// Pixels whose largest channel difference is above this count as different...
constexpr int channelTolerance = 24;
// ... and at most this share of them may be.
constexpr double differentShare = 0.002;

struct StillsRecorder final : CaptureSink {
    std::vector<uint64_t> indices;
    std::vector<std::vector<uint8_t>> pictures;
    bool wantsPixels(uint64_t index) override {
        for (uint64_t i : indices)
            if (i == index) return true;
        return false;
    }
    bool onVideoFrame(uint64_t index, const uint8_t* rgb, bool) override {
        for (size_t i = 0; i < indices.size(); ++i)
            if (indices[i] == index) pictures[i].assign(rgb, rgb + size_t(width) * height * 3);
        return true;
    }
    bool onAudio(const float*, size_t) override { return true; }
};

}  // namespace

TEST(CapturePictures, EachSceneMatchesItsReference) {
    const std::string source = ZUZOR_SOURCE_DIR;
    // The demo reads its images from Data/ below the working directory.
    ASSERT_EQ(chdir(source.c_str()), 0);
    CaptureSettings settings;
    ASSERT_TRUE(readWholeFile("Data/ZUZOR.XM", settings.module));
    settings.width = width;
    settings.height = height;
    settings.fps = fps;
    StillsRecorder recorder;
    for (const Scene& scene : scenes) recorder.indices.push_back(uint64_t(scene.seconds * fps));
    recorder.pictures.resize(recorder.indices.size());
    settings.hasTo = true;
    settings.toFrame = videoFrameTime(settings, recorder.indices.back()) + 1;

    CaptureReport report;
    std::string error;
    if (!captureShow(settings, recorder, report, error) &&
        error.find("OpenGL") != std::string::npos)
        GTEST_SKIP() << error;
    ASSERT_TRUE(error.empty()) << error;

    const bool update = std::getenv("ZUZOR_UPDATE_REFERENCES") != nullptr;
    for (size_t i = 0; i < std::size(scenes); ++i) {
        SCOPED_TRACE(scenes[i].name);
        const std::vector<uint8_t>& actual = recorder.pictures[i];
        ASSERT_EQ(actual.size(), size_t(width) * height * 3);
        const std::string reference = source + "/tests/reference/" + scenes[i].name + ".png";
        if (update) {
            std::vector<uint8_t> png;
            ASSERT_TRUE(encodePng(actual.data(), width, height, 9, png));
            ASSERT_TRUE(writeWholeFile(reference, png));
            continue;
        }
        std::vector<uint8_t> expected;
        int w = 0, h = 0;
        ASSERT_TRUE(readPng(reference, expected, w, h, error)) << error;
        ASSERT_EQ(w, width);
        ASSERT_EQ(h, height);
        size_t different = 0;
        for (size_t p = 0; p < actual.size(); p += 3) {
            int worst = 0;
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(actual[p + c] - expected[p + c]));
            if (worst > channelTolerance) ++different;
        }
        const size_t allowed = size_t(differentShare * width * height);
        if (different > allowed) {
            std::vector<uint8_t> png;
            const std::string saved = std::string(scenes[i].name) + "-actual.png";
            if (encodePng(actual.data(), width, height, 6, png) &&
                writeWholeFile("/tmp/zuzor-" + saved, png))
                ADD_FAILURE() << "this run's picture: /tmp/zuzor-" << saved;
        }
        EXPECT_LE(different, allowed) << "pixels that differ from " << reference;
    }
}
