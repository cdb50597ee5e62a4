// compare_sound: whether a recording holds the same sound as a reference WAV, wherever in
// the recording it starts. A stretch of the reference is looked for in the recording:
// first on a decimated mono signal over every lag, then sample by sample around the best
// one. Then each half second of the stretch is looked for again near there, since a
// server that ran dry on a busy machine shifts what follows: the normalized correlation
// of each half second says how alike they are (1: the same waveform at any gain; a wrong
// rate, channel order, dropped or repeated frames or noise give far less). Prints the
// share of half seconds that match (correlation 0.95 or more). Reads 16-bit PCM and
// 32-bit float WAV files.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/file_bytes.h"

using namespace zuzor;

namespace {

struct Sound {
    int rate = 0;
    std::vector<float> mono;
};

uint32_t u32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t u16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

// A stream written while recording may leave its sizes unset: the data then runs to the end.
bool readWav(const char* path, Sound& sound, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) return error = "cannot read", false;
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) ||
        std::memcmp(bytes.data() + 8, "WAVE", 4))
        return error = "not a WAV file", false;
    int format = 0, channels = 0, bits = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint8_t* chunk = bytes.data() + at;
        size_t size = u32(chunk + 4);
        if (!std::memcmp(chunk, "fmt ", 4) && at + 8 + 16 <= bytes.size()) {
            format = u16(chunk + 8);
            channels = u16(chunk + 10);
            sound.rate = int(u32(chunk + 12));
            bits = u16(chunk + 22);
            if (format == 0xFFFE && size >= 40 && at + 8 + 26 <= bytes.size())
                format = u16(chunk + 8 + 24);  // the extensible format's subformat
        } else if (!std::memcmp(chunk, "data", 4)) {
            if (size == 0 || size == 0xFFFFFFFFu || at + 8 + size > bytes.size())
                size = bytes.size() - at - 8;
            const bool pcm16 = format == 1 && bits == 16, float32 = format == 3 && bits == 32;
            if (channels < 1 || (!pcm16 && !float32))
                return error = "neither PCM16 nor float", false;
            const size_t width = pcm16 ? 2 : 4, frames = size / (width * channels);
            for (size_t f = 0; f < frames; ++f) {
                float sum = 0;
                for (int c = 0; c < channels; ++c) {
                    const uint8_t* s = chunk + 8 + (f * channels + c) * width;
                    if (pcm16) {
                        sum += float(int16_t(u16(s))) / 32768.0f;
                    } else {
                        float v;
                        std::memcpy(&v, s, 4);
                        sum += v;
                    }
                }
                sound.mono.push_back(sum / float(channels));
            }
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return error = "no audio data", false;
}

// Normalized correlation of reference[from, from + n) with recording[lag + from, ...), in
// steps of `step` samples.
double correlation(const std::vector<float>& recording, const std::vector<float>& reference,
                   long lag, size_t from, size_t n, size_t step) {
    double xy = 0, xx = 0, yy = 0;
    for (size_t i = from; i < from + n; i += step) {
        const double x = reference[i], y = recording[size_t(long(i) + lag)];
        xy += x * y;
        xx += x * x;
        yy += y * y;
    }
    return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0;
}

// The lag in [lowest, highest] at which the recording best matches reference[from, from + n):
// on every 8th lag and 32nd sample first, then sample by sample around the best.
long bestLag(const std::vector<float>& recording, const std::vector<float>& reference, size_t from,
             size_t n, long lowest, long highest) {
    constexpr long coarse = 8;
    long best = lowest;
    double bestCorrelation = -2;
    for (long lag = lowest; lag <= highest; lag += coarse) {
        const double c = correlation(recording, reference, lag, from, n, coarse * 4);
        if (c > bestCorrelation) bestCorrelation = c, best = lag;
    }
    const long around = best;
    bestCorrelation = -2;
    for (long lag = std::max(lowest, around - coarse); lag <= std::min(highest, around + coarse);
         ++lag) {
        const double c = correlation(recording, reference, lag, from, n, 1);
        if (c > bestCorrelation) bestCorrelation = c, best = lag;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr,
                     "usage: compare_sound RECORDING.wav REFERENCE.wav FROM_S SECONDS\n"
                     "  looks for SECONDS of the reference from FROM_S in the recording and\n"
                     "  prints, for each half second, where it is there and the correlation\n"
                     "  (1 is identical), then how many half seconds match\n");
        return 2;
    }
    Sound recording, reference;
    std::string error;
    if (!readWav(argv[1], recording, error) || !readWav(argv[2], reference, error)) {
        std::fprintf(stderr, "compare_sound: %s\n", error.c_str());
        return 1;
    }
    if (recording.rate != reference.rate) {
        std::fprintf(stderr, "compare_sound: rates differ (%d, %d)\n", recording.rate,
                     reference.rate);
        return 1;
    }
    const size_t from = size_t(std::atof(argv[3]) * reference.rate);
    const size_t n = size_t(std::atof(argv[4]) * reference.rate);
    if (n == 0 || from + n > reference.mono.size() || n > recording.mono.size()) {
        std::fprintf(stderr, "compare_sound: the stretch is not in both files\n");
        return 1;
    }
    // Every lag that keeps the stretch inside the recording, on every 8th sample first.
    const long lowest = -long(from), highest = long(recording.mono.size()) - long(from + n);
    const long best = bestLag(recording.mono, reference.mono, from, n, lowest, highest);
    // Then each half second near there.
    const size_t block = size_t(reference.rate / 2);
    const long near = reference.rate / 10;
    int blocks = 0, matching = 0;
    for (size_t at = from; at + block <= from + n; at += block) {
        const long lag = bestLag(recording.mono, reference.mono, at, block,
                                 std::max(lowest, best - near), std::min(highest, best + near));
        const double c = correlation(recording.mono, reference.mono, lag, at, block, 1);
        std::printf("%.1f s: %.3f s into the recording, correlation %.4f\n",
                    double(at) / reference.rate, double(long(at) + lag) / reference.rate, c);
        ++blocks;
        if (c >= 0.95) ++matching;
    }
    std::printf("%d of %d half seconds match\n", matching, blocks);
    return 0;
}
