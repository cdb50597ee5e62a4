// Reads the text score of a module: song settings, named channels, instruments given as
// synthesis parameters, tracker-style patterns and the order list. The format is
// described at the top of authoring/show/zuzor.score.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "authoring/synth.h"
#include "authoring/xm_writer.h"

namespace zuzor {

// A fault in a score, with the 1-based line it was found on (0 when it concerns the
// whole score). what() reads "NAME:LINE: message".
struct ScoreError : std::runtime_error {
    ScoreError(const std::string& source, int lineNumber, const std::string& message);
    int line;
    std::string message;
};

struct ScoreInstrument {
    std::string tag;  // the short name pattern cells use
    int line = 0;     // where it was declared, for synthesis errors
    SynthVoice voice;
    XmInstrument xm;  // everything but the sample data
    XmSample sample;  // volume, panning; data and tuning come from the synthesizer
};

struct Score {
    std::string title;
    int speed = 6;
    int tempo = 125;
    std::vector<std::string> channels;
    std::vector<ScoreInstrument> instruments;
    std::vector<std::string> patternNames;
    std::vector<XmPattern> patterns;
    std::vector<int> order;  // indices into patterns
};

// The channel that carries the demo's script: only Zxx commands, and all of them.
inline constexpr const char* kScriptChannel = "script";

Score parseScore(const std::string& text, const std::string& sourceName);

}  // namespace zuzor
