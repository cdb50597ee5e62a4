// The fast-forward is exact: a capture that starts at --from T shows, byte for byte, the
// frames a capture from the start shows at the same moments, for moments on and next to a
// tick and an event, with the warp scene taking random numbers in every frame drawn.
#include <gtest/gtest.h>

#include <map>

#include "base/constants.h"
#include "capture/show_capture.h"
#include "demo/sync_codes.h"
#include "tests/support/test_modules.h"

using namespace zuzor;

namespace {

// speed 6 at 125 BPM: a row is 5292 audio frames.
constexpr uint64_t rowFrames = 5292;
constexpr int warpRow = 6;
constexpr uint64_t span = 6000;  // frames compared after each start

std::vector<uint8_t> busyModule() {
    TestModuleShape shape;
    shape.orders = 4;
    XmModule module = makeTestModule(shape);
    const std::pair<int, uint8_t> script[] = {
        {2, Z14},  {4, Z02},  {warpRow, Z04}, {9, Z15},  {12, Z18}, {16, Z03},
        {18, Z1A}, {20, Z1C}, {22, Z0F},      {26, Z1D}, {30, Z2E}, {40, Z1A},
    };
    for (const auto& [row, code] : script) putScriptEvent(module, row / 16, row % 16, 1, code);
    return testModuleBytes(module);
}

// One video frame per audio frame, so every moment of the show is a video frame; the
// pixels of the chosen ones are kept.
struct Frames final : CaptureSink {
    std::vector<uint64_t> wanted;
    std::map<uint64_t, std::vector<uint8_t>> pixels;
    size_t bytes = 0;
    bool wantsPixels(uint64_t index) override {
        return std::find(wanted.begin(), wanted.end(), index) != wanted.end();
    }
    bool onVideoFrame(uint64_t index, const uint8_t* rgb, bool) override {
        if (rgb) pixels[index].assign(rgb, rgb + bytes);
        return true;
    }
    bool onAudio(const float*, size_t) override { return true; }
};

CaptureSettings settingsFrom(uint64_t from, uint64_t to) {
    CaptureSettings settings;
    settings.module = busyModule();
    settings.width = 160;
    settings.height = 120;
    settings.fps = mixRate;
    settings.fromFrame = from;
    settings.hasTo = true;
    settings.toFrame = to;
    return settings;
}

}  // namespace

TEST(CaptureSeek, FramesFromAnyMomentEqualTheFullRunsFrames) {
    // The full run first, for its ticks and the moments to start from.
    CaptureSettings probe = settingsFrom(0, 30 * rowFrames);
    Frames none;
    CaptureReport full;
    std::string error;
    if (!captureShow(probe, none, full, error) && error.find("OpenGL") != std::string::npos)
        GTEST_SKIP() << error;
    ASSERT_TRUE(error.empty()) << error;
    const uint64_t tick = full.tickFrames.at(60);
    const uint64_t warpEvent = warpRow * rowFrames;  // applied at the clock after its frame
    const uint64_t starts[] = {tick - 1,      tick,          tick + 1,           warpEvent,
                               warpEvent + 1, warpEvent + 2, 25 * rowFrames + 7, 1500};
    const uint64_t offsets[] = {0, 1, 2206, 2207, 4000, span - 1};

    Frames reference;
    reference.bytes = size_t(probe.width) * probe.height * 3;
    for (uint64_t start : starts)
        for (uint64_t offset : offsets) reference.wanted.push_back(start + offset);
    CaptureReport report;
    ASSERT_TRUE(captureShow(settingsFrom(0, 27 * rowFrames), reference, report, error)) << error;

    for (uint64_t start : starts) {
        SCOPED_TRACE(testing::Message() << "from frame " << start);
        Frames seeked;
        seeked.bytes = reference.bytes;
        for (uint64_t offset : offsets) seeked.wanted.push_back(offset);
        ASSERT_TRUE(captureShow(settingsFrom(start, start + span), seeked, report, error)) << error;
        for (uint64_t offset : offsets) {
            SCOPED_TRACE(testing::Message() << "at frame " << start + offset);
            ASSERT_EQ(seeked.pixels.count(offset), 1u);
            ASSERT_EQ(reference.pixels.count(start + offset), 1u);
            EXPECT_TRUE(seeked.pixels[offset] == reference.pixels[start + offset]);
        }
    }
}
