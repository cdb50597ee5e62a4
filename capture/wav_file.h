// A WAV file of 32-bit float stereo samples, written as they come: the sizes in the header
// are filled in when the file is closed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zuzor {

class WavFile {
  public:
    WavFile() = default;
    ~WavFile();
    WavFile(const WavFile&) = delete;
    WavFile& operator=(const WavFile&) = delete;

    // False when the file cannot be created.
    bool open(const std::string& path, int sampleRate);
    bool write(const float* stereo, size_t frames);
    // Completes the header. False when anything written was lost.
    bool close();

  private:
    FILE* file_ = nullptr;
    int sampleRate_ = 0;
    uint64_t dataBytes_ = 0;
    bool ok_ = true;
};

}  // namespace zuzor
