// Click onsets by threshold and a quiet gap before each: a click's own ringing and the
// mixer's ramps stay above or near the threshold for a few milliseconds, the gap keeps them
// from counting as further onsets.
#include "tests/support/onset_detector.h"

#include <cmath>

namespace zuzor {

std::vector<uint64_t> OnsetDetector::feed(const float* samples, size_t frames, int channels,
                                          uint64_t firstFrame) {
    std::vector<uint64_t> onsets;
    for (size_t i = 0; i < frames; ++i) {
        float level = 0.0f;
        for (int c = 0; c < channels; ++c)
            level = std::fmax(level, std::fabs(samples[i * size_t(channels) + size_t(c)]));
        if (!(level >= threshold_)) continue;  // NaN counts as quiet
        const uint64_t frame = firstFrame + i;
        if (!heardAny_ || frame - lastLoudFrame_ > quietFrames_) onsets.push_back(frame);
        heardAny_ = true;
        lastLoudFrame_ = frame;
    }
    return onsets;
}

}  // namespace zuzor
