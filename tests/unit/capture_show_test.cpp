// The offline capture against generated modules: when a scripted flash shows up in the
// video, how the show ends, and that the sound is the module as the mixer plays it.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <cstring>

#include "base/constants.h"
#include "capture/show_capture.h"
#include "demo/sync_codes.h"
#include "sync/song_renderer.h"
#include "sync/xm_script.h"
#include "tests/support/test_modules.h"

using namespace zuzor;

namespace {

// speed 6 at 125 BPM: a row is 6 * 882 = 5292 audio frames (0.12 s).
constexpr uint64_t rowFrames = 5292;
constexpr int flashRow = 10;
constexpr int quitRow = 24;

std::vector<uint8_t> scriptedModule() {
    TestModuleShape shape;
    shape.rows = 16;
    shape.orders = 2;
    XmModule module = makeTestModule(shape);
    putScriptEvent(module, flashRow / 16, flashRow % 16, 1, Z14);
    putScriptEvent(module, quitRow / 16, quitRow % 16, 1, Z64);
    return testModuleBytes(module);
}

// Records, per video frame, whether the upper-right quarter shows a flash panel, and
// keeps the sound.
struct Recorder final : CaptureSink {
    int width = 0;
    std::vector<bool> upperRightLit;
    std::vector<float> audio;
    bool onVideoFrame(uint64_t, const uint8_t* rgb, bool) override {
        // Inside the upper-right quarter, clear of the side bar and of the opening effect.
        const int x = width * 4 / 5, y = width * 3 / 4 / 10;
        const uint8_t* p = rgb + (size_t(y) * width + x) * 3;
        upperRightLit.push_back(!(p[0] == 255 && p[1] == 255 && p[2] == 255));
        return true;
    }
    bool onAudio(const float* stereo, size_t frames) override {
        audio.insert(audio.end(), stereo, stereo + frames * 2);
        return true;
    }
};

CaptureSettings smallSettings() {
    CaptureSettings settings;
    settings.module = scriptedModule();
    settings.width = 200;
    settings.height = 150;
    settings.fps = 60;
    return settings;
}

}  // namespace

TEST(CaptureShow, FlashAppearsInTheFirstVideoFrameAfterTheTickFollowingItsRow) {
    CaptureSettings settings = smallSettings();
    Recorder recorder;
    recorder.width = settings.width;
    CaptureReport report;
    std::string error;
    if (!captureShow(settings, recorder, report, error) &&
        error.find("OpenGL") != std::string::npos)
        GTEST_SKIP() << error;
    ASSERT_TRUE(error.empty()) << error;

    const uint64_t eventFrame = flashRow * rowFrames;
    uint64_t tickAfter = 0;
    for (uint64_t t : report.tickFrames) {
        if (t > eventFrame) {
            tickAfter = t;
            break;
        }
    }
    ASSERT_GT(tickAfter, 0u);
    // The tick comes no later than one tick length (and a frame of the clock) after the row.
    EXPECT_LE(tickAfter - eventFrame, uint64_t(mixRate) * 50 / 1000 + 2);

    size_t firstLit = recorder.upperRightLit.size();
    for (size_t i = 0; i < recorder.upperRightLit.size(); ++i) {
        if (recorder.upperRightLit[i]) {
            firstLit = i;
            break;
        }
    }
    ASSERT_LT(firstLit, recorder.upperRightLit.size()) << "the panel never lit";
    // Video frame n stands at n / fps seconds: compare in units of 1 / (fps * rate) s.
    const uint64_t fps = uint64_t(settings.fps);
    EXPECT_GE(firstLit * mixRate, tickAfter * fps);
    EXPECT_LT((firstLit - 1) * mixRate, tickAfter * fps);
}

TEST(CaptureShow, EndsOnTheTickThatActsOnTheQuitEvent) {
    CaptureSettings settings = smallSettings();
    Recorder recorder;
    recorder.width = settings.width;
    CaptureReport report;
    std::string error;
    if (!captureShow(settings, recorder, report, error) &&
        error.find("OpenGL") != std::string::npos)
        GTEST_SKIP() << error;
    ASSERT_TRUE(error.empty()) << error;

    EXPECT_EQ(report.end, CaptureEnd::quitEvent);
    ASSERT_FALSE(report.tickFrames.empty());
    const uint64_t quitFrame = quitRow * rowFrames;
    EXPECT_EQ(report.endFrame, report.tickFrames.back());
    EXPECT_GT(report.endFrame, quitFrame);
    ASSERT_GE(report.tickFrames.size(), 2u);
    EXPECT_LE(report.tickFrames[report.tickFrames.size() - 2], quitFrame);
    // Every tick waits for more than 50 ms of the show, and not much more.
    for (size_t i = 1; i < report.tickFrames.size(); ++i) {
        const uint64_t gap = report.tickFrames[i] - report.tickFrames[i - 1];
        EXPECT_GT(gap * 1000, uint64_t(mixRate) * 50);
        EXPECT_LE(gap, uint64_t(mixRate) * 50 / 1000 + 2);
    }
    // The video covers the show up to its end: the sound exactly, the picture to within a frame.
    EXPECT_EQ(recorder.audio.size(), report.endFrame * 2);
    EXPECT_EQ(report.videoFrames, (report.endFrame * settings.fps + mixRate - 1) / mixRate);
}

TEST(CaptureShow, SoundIsThePlainMixOfTheModuleWithoutItsScript) {
    CaptureSettings settings = smallSettings();
    Recorder recorder;
    recorder.width = settings.width;
    CaptureReport report;
    std::string error;
    if (!captureShow(settings, recorder, report, error) &&
        error.find("OpenGL") != std::string::npos)
        GTEST_SKIP() << error;
    ASSERT_TRUE(error.empty()) << error;

    ScriptedModule scripted;
    ASSERT_TRUE(
        readScriptedModule(settings.module.data(), settings.module.size(), scripted, error));
    openmpt_module* plain = openmpt_module_create_from_memory2(
        scripted.mixerCopy.data(), scripted.mixerCopy.size(), openmpt_log_func_silent, nullptr,
        openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(plain, nullptr);
    const size_t frames = recorder.audio.size() / 2;
    std::vector<float> expected(frames * 2);
    size_t done = 0;
    while (done < frames) {
        const size_t want = std::min<size_t>(4096, frames - done);
        const size_t got = openmpt_module_read_interleaved_float_stereo(plain, mixRate, want,
                                                                        expected.data() + done * 2);
        ASSERT_EQ(got, want);
        done += got;
    }
    openmpt_module_destroy(plain);
    ASSERT_GT(frames, 0u);
    float loudest = 0.0f;
    for (float v : expected) loudest = std::max(loudest, std::abs(v));
    EXPECT_GT(loudest, 0.01f) << "the test module should not be silent";
    EXPECT_EQ(0, std::memcmp(expected.data(), recorder.audio.data(), frames * 2 * sizeof(float)));
}

TEST(CaptureShow, FromAndToCutTheSoundAndPictureAtTheSameMoments) {
    CaptureSettings settings = smallSettings();
    settings.fromFrame = 1000;
    settings.hasTo = true;
    settings.toFrame = 1000 + mixRate;  // one second
    Recorder recorder;
    recorder.width = settings.width;
    CaptureReport report;
    std::string error;
    if (!captureShow(settings, recorder, report, error) &&
        error.find("OpenGL") != std::string::npos)
        GTEST_SKIP() << error;
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(report.end, CaptureEnd::toTime);
    EXPECT_EQ(recorder.audio.size(), size_t(mixRate) * 2);
    EXPECT_EQ(report.videoFrames, uint64_t(settings.fps));
}

TEST(CaptureShow, RefusesDataThatIsNoModule) {
    CaptureSettings settings = smallSettings();
    settings.module.assign(100, 0x41);
    Recorder recorder;
    CaptureReport report;
    std::string error;
    EXPECT_FALSE(captureShow(settings, recorder, report, error));
    EXPECT_FALSE(error.empty());
}

// Without a quit event the capture ends where one pass as played ends, the timeline's end:
// tempo changes and pattern delays put it away from the mixer's own estimate (here by
// 139 frames).
TEST(CaptureShow, WithoutQuitEventEndsWhereThePassAsPlayedEnds) {
    TestModuleShape shape;
    shape.rows = 16;
    shape.orders = 3;
    XmModule module = makeTestModule(shape);
    putEffect(module, 0, 3, 1, 0xF, 97);    // tempo 97
    putEffect(module, 0, 9, 1, 0xE, 0xE5);  // pattern delay: the row five times more
    putEffect(module, 1, 2, 1, 0xF, 3);     // speed 3
    putEffect(module, 1, 7, 1, 0xE, 0xEF);
    putEffect(module, 2, 0, 1, 0xF, 201);  // tempo 201
    putEffect(module, 2, 5, 1, 0xE, 0xE9);
    CaptureSettings settings = smallSettings();
    settings.module = testModuleBytes(module);
    settings.fps = 10;

    std::string error;
    auto pass =
        SongRenderer::create(settings.module.data(), settings.module.size(), mixRate, false, error);
    ASSERT_TRUE(pass) << error;
    struct Ignore final : SyncEventSink {
        void onEvent(const SyncEvent&) override {}
    } ignore;
    while (!pass->ended()) pass->render(nullptr, 4096, ignore);

    Recorder recorder;
    recorder.width = settings.width;
    CaptureReport report;
    if (!captureShow(settings, recorder, report, error) &&
        error.find("OpenGL") != std::string::npos)
        GTEST_SKIP() << error;
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(report.end, CaptureEnd::songEnd);
    EXPECT_EQ(report.songFrames, pass->framesRendered());
    EXPECT_EQ(report.endFrame, pass->framesRendered());
    EXPECT_EQ(recorder.audio.size(), report.endFrame * 2);
}
