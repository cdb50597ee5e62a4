// The video written in-process through ffmpeg's libraries: H.264 pictures stamped with the
// moment they appear (each picture is encoded once and stays on screen until the next, a
// variable frame rate), AAC sound, one MP4. The show draws about 20 pictures a second, so
// most video frames of a fixed rate would only repeat one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zuzor {

struct Mp4Format {
    int width = 800;
    int height = 600;
    int ticksPerSecond = 60;  // picture moments count in these; the capture's frame rate
    int sampleRate = 44100;
    // x264's speed against size, and its constant quality. Chosen by measurement
    // (BENCHMARKS.md): against the PNG frames, `faster` at 17 matches or beats the PSNR and
    // SSIM of the earlier `fast` at 18 with B-frames and a fixed rate, in a smaller file
    // and a sixth less time than `fast` at 18.
    const char* preset = "faster";
    double crf = 17.0;
};

// Whether the linked libavcodec has both encoders (a build without libx264 has none for H.264).
bool mp4EncodersPresent();

class Mp4Encoder {
  public:
    Mp4Encoder();
    ~Mp4Encoder();
    Mp4Encoder(const Mp4Encoder&) = delete;
    Mp4Encoder& operator=(const Mp4Encoder&) = delete;

    // Prepares `path`. The file appears only when finish succeeds; until then the work goes
    // to a hidden part file beside it (.NAME.part), removed when the encoder is dropped
    // unfinished or the process is interrupted (SIGINT, SIGTERM, SIGHUP), and by the next
    // capture of the same video after a kill. False, with a reason, when the encoders or the
    // file cannot be had.
    bool open(const std::string& path, const Mp4Format& format, std::string& error);
    // `rgb` (top row first) appears at moment `at`, later than the last picture's. A picture
    // equal to the one on screen is left out: that one stays.
    bool writePicture(const uint8_t* rgb, int64_t at);
    // Interleaved stereo samples, following the last ones without a gap.
    bool writeSound(const float* stereo, size_t frames);
    // The last picture stays until moment `end`; the file is completed and moved into
    // place. False, with a reason, when anything failed along the way.
    bool finish(int64_t end, std::string& error);

    uint64_t picturesEncoded() const;
    // Why the last write failed.
    std::string failure() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace zuzor
