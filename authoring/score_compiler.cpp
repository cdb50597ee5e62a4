// Joins a parsed score and the synthesizer into an XmModule, then into XM bytes.
#include "authoring/score_compiler.h"

namespace zuzor {

namespace {

SynthResult voiceSamples(const SynthVoice& voice, SampleCache* cache) {
    if (!cache) return synthesize(voice);
    auto key = std::make_pair(voice.kind, voice.params);
    auto found = cache->made.find(key);
    if (found == cache->made.end())
        found = cache->made.emplace(std::move(key), synthesize(voice)).first;
    return found->second;
}

}  // namespace

XmModule buildModule(const Score& score, const std::string& sourceName, SampleCache* cache) {
    XmModule module;
    module.name = score.title;
    module.tracker = "zuzor-compose";
    module.channels = int(score.channels.size());
    module.speed = score.speed;
    module.tempo = score.tempo;
    module.linearFrequencies = true;
    module.patterns = score.patterns;
    for (int index : score.order) module.orders.push_back(uint8_t(index));
    for (const ScoreInstrument& ins : score.instruments) {
        SynthResult made;
        try {
            made = voiceSamples(ins.voice, cache);
        } catch (const SynthError& e) {
            throw ScoreError(sourceName, ins.line, "instrument '" + ins.tag + "': " + e.what());
        }
        XmInstrument xm = ins.xm;
        XmSample sample = ins.sample;
        sample.data = std::move(made.data);
        sample.loopStart = made.loopStart;
        sample.loopLength = made.loopLength;
        xmTuning(made, sample.relativeNote, sample.finetune);
        xm.samples.push_back(std::move(sample));
        module.instruments.push_back(std::move(xm));
    }
    return module;
}

std::vector<uint8_t> compileScore(const std::string& text, const std::string& sourceName,
                                  SampleCache* cache) {
    return writeXm(buildModule(parseScore(text, sourceName), sourceName, cache));
}

}  // namespace zuzor
