// The score compiler: a text score in, a complete XM module out, with every sample
// synthesized from the instruments' parameters.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/score_parser.h"
#include "authoring/xm_writer.h"

namespace zuzor {

// Throws ScoreError (with the line) for faults in the score or its synth parameters.
XmModule buildModule(const Score& score, const std::string& sourceName);
std::vector<uint8_t> compileScore(const std::string& text, const std::string& sourceName);

}  // namespace zuzor
