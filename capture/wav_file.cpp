// RIFF/WAVE with format 3 (IEEE float), little-endian as the format demands.
#include "capture/wav_file.h"

#include <bit>
#include <cstring>

namespace zuzor {

namespace {

constexpr size_t headerBytes = 44;

void put16(uint8_t* at, uint16_t v) {
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
}
void put32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = uint8_t(v >> (8 * i));
}

void makeHeader(uint8_t* h, int sampleRate, uint32_t dataBytes) {
    const uint16_t channels = 2;
    const uint16_t bytesPerSample = 4;
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, uint32_t(headerBytes - 8) + dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, 3);
    put16(h + 22, channels);
    put32(h + 24, uint32_t(sampleRate));
    put32(h + 28, uint32_t(sampleRate) * channels * bytesPerSample);
    put16(h + 32, channels * bytesPerSample);
    put16(h + 34, bytesPerSample * 8);
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, dataBytes);
}

}  // namespace

WavFile::~WavFile() {
    if (file_) close();
}

bool WavFile::open(const std::string& path, int sampleRate) {
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) return false;
    uint8_t header[headerBytes];
    makeHeader(header, sampleRate, 0);
    ok_ = std::fwrite(header, 1, headerBytes, file_) == headerBytes;
    sampleRate_ = sampleRate;
    dataBytes_ = 0;
    return ok_;
}

bool WavFile::write(const float* stereo, size_t frames) {
    if (!file_) return false;
    // The samples go out as they lie in memory: WAV is little-endian, and so is the host.
    static_assert(sizeof(float) == 4 && std::endian::native == std::endian::little);
    const size_t bytes = frames * 2 * sizeof(float);
    ok_ = ok_ && std::fwrite(stereo, 1, bytes, file_) == bytes;
    dataBytes_ += bytes;
    return ok_;
}

bool WavFile::close() {
    if (!file_) return false;
    // A RIFF size field has 32 bits: longer audio would be a broken file.
    if (dataBytes_ > 0xFFFFFFFFull - headerBytes) ok_ = false;
    uint8_t header[headerBytes];
    makeHeader(header, sampleRate_, uint32_t(dataBytes_));
    ok_ = ok_ && std::fseek(file_, 0, SEEK_SET) == 0 &&
          std::fwrite(header, 1, headerBytes, file_) == headerBytes;
    ok_ = std::fclose(file_) == 0 && ok_;
    file_ = nullptr;
    return ok_;
}

}  // namespace zuzor
