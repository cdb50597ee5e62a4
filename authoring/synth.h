// The score compiler's sample synthesizer: turns a voice description (a kind such as
// "kick" or "pad" and named numeric parameters) into 16-bit mono sample data.
//
// Everything here is deterministic: the noise comes from our own generator, seeded by
// the voice, so the same description always gives the same samples.
#pragma once
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace zuzor {

struct SynthVoice {
    std::string kind;                      // kick, snare, hat, bass, pad, pluck, lead, noise
    std::map<std::string, double> params;  // overrides of the kind's defaults
};

struct SynthResult {
    std::vector<int16_t> data;
    uint32_t loopStart = 0;
    uint32_t loopLength = 0;  // 0 = one-shot
    double rate = 44100.0;    // the rate the data was computed at
    // The pitch of the data at that rate, in Hz; 0 for unpitched sounds, which then play
    // at their own rate on C-4.
    double pitch = 0.0;
};

// A voice description the synthesizer cannot make: unknown kind or parameter, or a value
// out of range. The message names the offending kind or parameter.
struct SynthError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The parameters a kind accepts, with their defaults.
const std::map<std::string, double>& synthDefaults(const std::string& kind);

SynthResult synthesize(const SynthVoice& voice);

// The XM relative note and finetune that make the sample sound its pitch on the right key
// (unpitched: its own rate on C-4).
void xmTuning(const SynthResult& result, int8_t& relativeNote, int8_t& finetune);

// xorshift32: the only noise source of the synthesizer.
class NoiseSource {
  public:
    explicit NoiseSource(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    // Uniform in [-1, 1).
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return double(state_) / 2147483648.0 - 1.0;
    }

  private:
    uint32_t state_;
};

}  // namespace zuzor
