// The video through ffmpeg: raw RGB frames piped to an H.264 encoder, the sound kept in a
// WAV beside it, and both put together as H.264 and AAC at the end.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "capture/wav_file.h"

namespace zuzor {

// Whether an ffmpeg program can be started from the PATH.
bool ffmpegAvailable();

class FfmpegEncoder {
  public:
    FfmpegEncoder() = default;
    ~FfmpegEncoder();
    FfmpegEncoder(const FfmpegEncoder&) = delete;
    FfmpegEncoder& operator=(const FfmpegEncoder&) = delete;

    // Starts the encoder for `out`. False, with a reason, when it cannot be started.
    bool open(const std::string& out, int width, int height, int fps, int sampleRate,
              std::string& error);
    bool writeFrame(const uint8_t* rgb);
    bool writeAudio(const float* stereo, size_t frames);
    // Ends the encoding and writes `out`. False, with a reason, when ffmpeg failed.
    bool finish(std::string& error);

  private:
    void abandon();

    std::string out_;
    std::string videoPart_;
    std::string audioPart_;
    size_t frameBytes_ = 0;
    int pipe_ = -1;
    pid_t child_ = -1;
    WavFile audio_;
};

}  // namespace zuzor
