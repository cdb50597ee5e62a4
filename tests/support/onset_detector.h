// Finds the onsets of clicks in recorded sound that is otherwise silent: the first sample of
// a click is the first one whose level crosses the threshold after at least `quietFrames`
// frames below it. Fed in chunks of any size, so a click split across two reads is one onset.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zuzor {

class OnsetDetector {
  public:
    OnsetDetector(float threshold, uint64_t quietFrames)
        : threshold_(threshold), quietFrames_(quietFrames) {}

    // Interleaved float frames of `channels` channels; the first is frame `firstFrame` of the
    // recording. Returns the frame numbers of the onsets found in this chunk.
    std::vector<uint64_t> feed(const float* samples, size_t frames, int channels,
                               uint64_t firstFrame);

  private:
    float threshold_;
    uint64_t quietFrames_;
    bool heardAny_ = false;
    uint64_t lastLoudFrame_ = 0;
};

}  // namespace zuzor
