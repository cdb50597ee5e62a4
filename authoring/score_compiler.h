// The score compiler: a text score in, a complete XM module out, with every sample
// synthesized from the instruments' parameters.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "authoring/score_parser.h"
#include "authoring/xm_writer.h"

namespace zuzor {

// The samples made so far, by voice: a score compiled again after an edit synthesizes only
// the instruments whose voice changed (synthesis is most of a compile's time).
struct SampleCache {
    std::map<std::pair<std::string, std::map<std::string, double>>, SynthResult> made;
};

// Throws ScoreError (with the line) for faults in the score or its synth parameters. With
// a cache, voices made before are taken from it and new ones are added to it.
XmModule buildModule(const Score& score, const std::string& sourceName,
                     SampleCache* cache = nullptr);
std::vector<uint8_t> compileScore(const std::string& text, const std::string& sourceName,
                                  SampleCache* cache = nullptr);

}  // namespace zuzor
