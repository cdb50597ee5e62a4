// The capture's WAV: a float stereo header that players read, and sizes filled in at close.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "base/file_bytes.h"
#include "capture/wav_file.h"
#include "sync/song_renderer.h"

using namespace zuzor;

namespace {

uint32_t le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t le16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

}  // namespace

TEST(CaptureWav, HeaderDescribesFloatStereoAndTheSamplesFollowIt) {
    const std::string path = "/tmp/zuzor-wav-test-" + std::to_string(getpid()) + ".wav";
    const float first[] = {0.5f, -0.5f, 0.25f, -0.25f};
    const float second[] = {1.0f, -1.0f};
    {
        WavFile wav;
        ASSERT_TRUE(wav.open(path, 44100));
        ASSERT_TRUE(wav.write(first, 2));
        ASSERT_TRUE(wav.write(second, 1));
        ASSERT_TRUE(wav.close());
    }
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readWholeFile(path, bytes));
    std::remove(path.c_str());
    ASSERT_EQ(bytes.size(), 44u + 3 * 8);
    EXPECT_EQ(0, std::memcmp(bytes.data(), "RIFF", 4));
    EXPECT_EQ(le32(&bytes[4]), bytes.size() - 8);
    EXPECT_EQ(0, std::memcmp(&bytes[8], "WAVEfmt ", 8));
    EXPECT_EQ(le16(&bytes[20]), 3);  // IEEE float
    EXPECT_EQ(le16(&bytes[22]), 2);
    EXPECT_EQ(le32(&bytes[24]), 44100u);
    EXPECT_EQ(le32(&bytes[28]), 44100u * 8);
    EXPECT_EQ(le16(&bytes[32]), 8);
    EXPECT_EQ(le16(&bytes[34]), 32);
    EXPECT_EQ(0, std::memcmp(&bytes[36], "data", 4));
    EXPECT_EQ(le32(&bytes[40]), 24u);
    EXPECT_EQ(0, std::memcmp(&bytes[44], first, sizeof first));
    EXPECT_EQ(0, std::memcmp(&bytes[44 + sizeof first], second, sizeof second));
}

TEST(CaptureWav, UnwritablePlaceIsReported) {
    WavFile wav;
    EXPECT_FALSE(wav.open("/nonexistent-dir/audio.wav", 44100));
    EXPECT_FALSE(wav.write(nullptr, 0));
}
