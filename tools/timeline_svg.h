// The script as a picture: the song's waveform over time, a mark for every event labelled
// with its code, the scenes as coloured bands (which effects are on) and the end. One SVG
// file, text made by our own code, readable in any browser.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sync/song_renderer.h"

namespace zuzor {

struct TimelinePicture {
    std::vector<SyncEvent> events;
    // The waveform: the lowest and highest sample of each column, left and right mixed.
    std::vector<float> low, high;
    uint64_t songFrames = 0;
    int sampleRate = 44100;
    std::string title;
};

std::string timelineSvg(const TimelinePicture& picture);

}  // namespace zuzor
