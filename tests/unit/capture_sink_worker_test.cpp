// The sink worker hands every call on, in order and with the pixels it was given, though
// it reuses its buffers; a sink that refuses stops the capture instead of hanging it.
#include "capture/sink_worker.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace zuzor;

namespace {

constexpr size_t frameBytes = 64;

std::string pictureCall(uint64_t index, bool changed, const uint8_t* rgb) {
    char text[64];
    if (rgb)
        std::snprintf(text, sizeof text, "v%llu%s:%d,%d", (unsigned long long)index,
                      changed ? "c" : "", rgb[0], rgb[frameBytes - 1]);
    else
        std::snprintf(text, sizeof text, "v%llu%s:-", (unsigned long long)index,
                      changed ? "c" : "");
    return text;
}

std::string soundCall(int sample) {
    char text[32];
    std::snprintf(text, sizeof text, "a%d", sample);
    return text;
}

// Writes down every call, and refuses the picture `refuseAt` if asked to.
struct Recorder final : CaptureSink {
    std::vector<std::string> calls;
    uint64_t refuseAt = UINT64_MAX;
    bool onVideoFrame(uint64_t index, const uint8_t* rgb, bool changed) override {
        calls.push_back(pictureCall(index, changed, rgb));
        return index != refuseAt;
    }
    bool onAudio(const float* stereo, size_t frames) override {
        for (size_t i = 0; i < frames; ++i) calls.push_back(soundCall(int(stereo[2 * i])));
        return true;
    }
};

// The capture's calls: a few sound chunks, then a picture (every third without pixels).
std::vector<std::string> feed(CaptureSink& sink, int pictures, bool& accepted) {
    std::vector<std::string> expected;
    std::vector<uint8_t> rgb(frameBytes);
    int sample = 0;
    accepted = true;
    for (int i = 0; i < pictures && accepted; ++i) {
        for (int chunk = 0; chunk < 3 && accepted; ++chunk) {
            const float stereo[4] = {float(sample), 0.0f, float(sample + 1), 0.0f};
            accepted = sink.onAudio(stereo, 2);
            expected.push_back(soundCall(sample));
            expected.push_back(soundCall(sample + 1));
            sample += 2;
        }
        const bool pixels = i % 3 != 2;
        rgb.front() = uint8_t(i);
        rgb.back() = uint8_t(255 - i);
        if (accepted)
            accepted = sink.onVideoFrame(uint64_t(i), pixels ? rgb.data() : nullptr, i % 2);
        expected.push_back(pictureCall(uint64_t(i), i % 2, pixels ? rgb.data() : nullptr));
    }
    return expected;
}

}  // namespace

TEST(CaptureSinkWorker, EveryCallArrivesInOrderWithItsPixels) {
    Recorder recorder;
    std::vector<std::string> expected;
    {
        SinkWorker worker(recorder, frameBytes, 2);
        bool accepted = false;
        expected = feed(worker, 200, accepted);
        EXPECT_TRUE(accepted);
        EXPECT_TRUE(worker.finish());
    }
    EXPECT_EQ(recorder.calls, expected);
}

TEST(CaptureSinkWorker, ARefusalStopsTheCaptureAndNothingFollowsIt) {
    Recorder recorder;
    recorder.refuseAt = 10;
    SinkWorker worker(recorder, frameBytes, 2);
    bool accepted = true;
    feed(worker, 200, accepted);
    EXPECT_FALSE(accepted) << "the capture went on after the sink refused";
    EXPECT_FALSE(worker.finish());
    ASSERT_FALSE(recorder.calls.empty());
    EXPECT_EQ(recorder.calls.back(), "v10:10,245");
}
