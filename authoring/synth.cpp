// Sample synthesis for the score compiler. Drums are one-shots shaped in time; tonal
// voices are additive waveforms whose every partial fits a whole number of cycles into
// the loop, so the loops join without a click at any length.
#include "authoring/synth.h"

#include <algorithm>
#include <cmath>

namespace zuzor {

namespace {

constexpr double kRate = 44100.0;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kMiddleC = 261.6255653005986;  // C-4 at A-4 = 440 Hz

using Params = std::map<std::string, double>;

const std::map<std::string, Params>& allDefaults() {
    static const std::map<std::string, Params> defaults = {
        {"kick",
         {{"length", 0.5},
          {"from", 170},
          {"to", 45},
          {"sweep", 0.045},
          {"decay", 0.3},
          {"click", 0.25},
          {"drive", 2.0},
          {"gain", 0.9},
          {"seed", 1}}},
        {"snare",
         {{"length", 0.35},
          {"tone", 190},
          {"tonedecay", 0.07},
          {"tonelevel", 0.6},
          {"noise", 0.9},
          {"noisedecay", 0.14},
          {"cutoff", 1200},
          {"drive", 1.0},
          {"gain", 0.9},
          {"seed", 2}}},
        {"hat",
         {{"length", 0.1},
          {"decay", 0.03},
          {"cutoff", 7000},
          {"metal", 0.3},
          {"gain", 0.9},
          {"seed", 3}}},
        {"noise",
         {{"length", 2.0},
          {"attack", 0.002},
          {"decay", 0.8},
          {"from", 12000},
          {"to", 6000},
          {"highpass", 200},
          {"gain", 0.9},
          {"seed", 4}}},
        {"bass",
         {{"pitch", 130.8127826502993},
          {"loop", 0.5},
          {"saw", 1.0},
          {"square", 0.0},
          {"sine", 0.0},
          {"sub", 0.5},
          {"bright", 6},
          {"maxfreq", 4000},
          {"voices", 1},
          {"detune", 0},
          {"gain", 0.9},
          {"seed", 5}}},
        {"pad",
         {{"pitch", kMiddleC},
          {"loop", 1.0},
          {"saw", 1.0},
          {"square", 0.0},
          {"sine", 0.0},
          {"sub", 0.0},
          {"bright", 8},
          {"maxfreq", 6000},
          {"voices", 5},
          {"detune", 18},
          {"gain", 0.9},
          {"seed", 6}}},
        {"lead",
         {{"pitch", kMiddleC},
          {"loop", 0.5},
          {"saw", 0.6},
          {"square", 0.6},
          {"sine", 0.0},
          {"sub", 0.0},
          {"bright", 10},
          {"maxfreq", 6000},
          {"voices", 2},
          {"detune", 6},
          {"gain", 0.9},
          {"seed", 7}}},
        {"pluck",
         {{"pitch", kMiddleC},
          {"length", 1.5},
          {"sustain", 0.996},
          {"bright", 0.6},
          {"gain", 0.9},
          {"seed", 8}}},
    };
    return defaults;
}

// The voice's value for a parameter: its own, else the kind's default.
class Values {
  public:
    Values(const Params& defaults, const Params& own) : defaults_(defaults), own_(own) {}
    double operator[](const std::string& key) const {
        auto it = own_.find(key);
        return it != own_.end() ? it->second : defaults_.at(key);
    }

  private:
    const Params& defaults_;
    const Params& own_;
};

size_t sampleCount(double seconds) {
    return size_t(std::lround(seconds * kRate));
}

// Fades the last few milliseconds so a one-shot never ends on a step.
void fadeTail(std::vector<double>& x, double seconds = 0.005) {
    size_t n = std::min(x.size(), sampleCount(seconds));
    for (size_t i = 0; i < n; ++i) x[x.size() - 1 - i] *= double(i) / double(n);
}

std::vector<double> kick(const Values& v) {
    std::vector<double> x(sampleCount(v["length"]));
    NoiseSource noise{uint32_t(v["seed"])};
    double phase = 0.0;
    const double drive = std::max(0.01, v["drive"]);
    for (size_t i = 0; i < x.size(); ++i) {
        double t = double(i) / kRate;
        double freq = v["to"] + (v["from"] - v["to"]) * std::exp(-t / v["sweep"]);
        phase += kTwoPi * freq / kRate;
        double attack = std::min(1.0, t / 0.001);
        double body = std::sin(phase) * std::exp(-t / v["decay"]) * attack;
        double click = noise.next() * v["click"] * std::exp(-t / 0.003);
        x[i] = std::tanh(drive * (body + click)) / std::tanh(drive);
    }
    fadeTail(x);
    return x;
}

std::vector<double> snare(const Values& v) {
    std::vector<double> x(sampleCount(v["length"]));
    NoiseSource noise{uint32_t(v["seed"])};
    const double a = std::exp(-kTwoPi * v["cutoff"] / kRate);
    double low = 0.0, phase1 = 0.0, phase2 = 0.0;
    // Saturation packs more of the hit's energy under the same peak.
    const double drive = std::max(0.01, v["drive"]);
    for (size_t i = 0; i < x.size(); ++i) {
        double t = double(i) / kRate;
        double drop = 1.0 + 0.4 * std::exp(-t / 0.01);
        phase1 += kTwoPi * v["tone"] * drop / kRate;
        phase2 += kTwoPi * v["tone"] * 1.72 * drop / kRate;
        double tone = (std::sin(phase1) + 0.5 * std::sin(phase2)) * std::exp(-t / v["tonedecay"]);
        double n = noise.next();
        low = a * low + (1.0 - a) * n;
        double hiss = (n - low) * std::exp(-t / v["noisedecay"]);
        double attack = std::min(1.0, t / 0.0005);
        x[i] = std::tanh(drive * attack * (v["tonelevel"] * tone + v["noise"] * hiss)) /
               std::tanh(drive);
    }
    fadeTail(x);
    return x;
}

std::vector<double> hat(const Values& v) {
    std::vector<double> x(sampleCount(v["length"]));
    NoiseSource noise{uint32_t(v["seed"])};
    // Six detuned square waves give the metallic ring of a cymbal under the hiss.
    const double metal[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    const double a = std::exp(-kTwoPi * v["cutoff"] / kRate);
    double low1 = 0.0, low2 = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        double t = double(i) / kRate;
        double ring = 0.0;
        for (double f : metal) ring += std::fmod(t * f * 2.0, 1.0) < 0.5 ? 1.0 : -1.0;
        double s = noise.next() + v["metal"] * ring / 6.0;
        low1 = a * low1 + (1.0 - a) * s;
        double high1 = s - low1;
        low2 = a * low2 + (1.0 - a) * high1;
        double attack = std::min(1.0, t / 0.0005);
        x[i] = (high1 - low2) * std::exp(-t / v["decay"]) * attack;
    }
    fadeTail(x);
    return x;
}

std::vector<double> sweptNoise(const Values& v) {
    std::vector<double> x(sampleCount(v["length"]));
    NoiseSource noise{uint32_t(v["seed"])};
    const double length = std::max(1e-3, v["length"]);
    const double attackTime = std::max(1e-4, v["attack"]);
    const double hp = std::exp(-kTwoPi * v["highpass"] / kRate);
    double low = 0.0, low2 = 0.0, hpLow = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        double t = double(i) / kRate;
        double cutoff = v["from"] * std::pow(v["to"] / v["from"], t / length);
        double a = std::exp(-kTwoPi * cutoff / kRate);
        double n = noise.next();
        low = a * low + (1.0 - a) * n;
        low2 = a * low2 + (1.0 - a) * low;
        hpLow = hp * hpLow + (1.0 - hp) * low2;
        double env = t < attackTime ? t / attackTime : std::exp(-(t - attackTime) / v["decay"]);
        x[i] = (low2 - hpLow) * env;
    }
    fadeTail(x);
    return x;
}

// Detuned stacks of band-limited saw and square waves (plus a sine and a sub-octave sine),
// every partial rounded to a whole number of cycles per loop.
std::vector<double> additive(const Values& v, double& pitch) {
    const double loopSeconds = v["loop"];
    std::vector<double> x(sampleCount(loopSeconds));
    const double step = kRate / double(x.size());  // partials are multiples of this, in Hz
    auto fit = [&](double f) { return std::max(1.0, std::round(f / step)) * step; };
    NoiseSource noise{uint32_t(v["seed"])};
    const int voices = std::max(1, int(v["voices"]));
    const double maxFreq = v["maxfreq"];
    pitch = fit(v["pitch"]);
    std::vector<double> partialPhase;
    for (int voice = 0; voice < voices; ++voice) {
        double spread = voices == 1 ? 0.0 : double(voice) / double(voices - 1) - 0.5;
        double f0 = fit(v["pitch"] * std::pow(2.0, spread * v["detune"] / 1200.0));
        for (int n = 1; n * f0 < maxFreq; ++n) {
            double rolloff = 1.0 / (1.0 + std::pow(double(n) / v["bright"], 2.0));
            double amp = v["saw"] / n + (n % 2 ? v["square"] / n : 0.0);
            if (n == 1) amp += v["sine"];
            amp *= rolloff;
            double phase = (noise.next() + 1.0) * 3.14159265358979;
            const double w = kTwoPi * n * f0 / kRate;
            for (size_t i = 0; i < x.size(); ++i) x[i] += amp * std::sin(w * double(i) + phase);
        }
    }
    if (v["sub"] > 0.0) {
        const double w = kTwoPi * fit(pitch / 2.0) / kRate;
        for (size_t i = 0; i < x.size(); ++i) x[i] += v["sub"] * voices * std::sin(w * double(i));
    }
    return x;
}

// Karplus-Strong string: a burst of filtered noise circulating in a damped delay line.
std::vector<double> pluck(const Values& v, double& pitch) {
    std::vector<double> x(sampleCount(v["length"]));
    NoiseSource noise{uint32_t(v["seed"])};
    const size_t period = size_t(std::max(2L, std::lround(kRate / v["pitch"])));
    pitch = kRate / (double(period) + 0.5);  // the averaging filter adds half a sample
    std::vector<double> line(period);
    double low = 0.0;
    const double b = std::clamp(v["bright"], 0.01, 1.0);
    for (double& s : line) {
        low += b * (noise.next() - low);
        s = low;
    }
    double previous = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        size_t at = i % period;
        double current = line[at];
        x[i] = current;
        line[at] = v["sustain"] * 0.5 * (current + previous);
        previous = current;
    }
    fadeTail(x, 0.05);
    return x;
}

std::vector<int16_t> toPcm(const std::vector<double>& x, double gain) {
    double peak = 0.0;
    for (double s : x) peak = std::max(peak, std::fabs(s));
    const double scale = peak > 0.0 ? std::clamp(gain, 0.0, 1.0) * 32767.0 / peak : 0.0;
    std::vector<int16_t> pcm(x.size());
    for (size_t i = 0; i < x.size(); ++i) pcm[i] = int16_t(std::lround(x[i] * scale));
    return pcm;
}

}  // namespace

const std::map<std::string, double>& synthDefaults(const std::string& kind) {
    auto it = allDefaults().find(kind);
    if (it == allDefaults().end()) {
        throw SynthError("unknown synth kind '" + kind +
                         "' (kick, snare, hat, noise, bass, pad, lead, pluck)");
    }
    return it->second;
}

SynthResult synthesize(const SynthVoice& voice) {
    const Params& defaults = synthDefaults(voice.kind);
    for (const auto& [key, value] : voice.params) {
        if (!defaults.count(key)) {
            throw SynthError("'" + voice.kind + "' has no parameter '" + key + "'");
        }
        if (!std::isfinite(value)) throw SynthError("parameter '" + key + "' is not a number");
    }
    const Values v(defaults, voice.params);
    for (const char* key : {"length", "loop", "pitch", "decay", "sweep", "tonedecay", "noisedecay",
                            "bright", "cutoff", "from", "to"}) {
        if (defaults.count(key) && !(v[key] > 0.0)) {
            throw SynthError("parameter '" + std::string(key) + "' must be above 0");
        }
    }
    for (const char* key : {"length", "loop"}) {
        if (defaults.count(key) && v[key] > 10.0) {
            throw SynthError("parameter '" + std::string(key) + "' is longer than 10 seconds");
        }
    }

    SynthResult result;
    result.rate = kRate;
    std::vector<double> x;
    const std::string& kind = voice.kind;
    if (kind == "kick")
        x = kick(v);
    else if (kind == "snare")
        x = snare(v);
    else if (kind == "hat")
        x = hat(v);
    else if (kind == "noise")
        x = sweptNoise(v);
    else if (kind == "pluck")
        x = pluck(v, result.pitch);
    else {
        x = additive(v, result.pitch);
        result.loopStart = 0;
        result.loopLength = uint32_t(x.size());
    }
    result.data = toPcm(x, v["gain"]);
    return result;
}

void xmTuning(const SynthResult& result, int8_t& relativeNote, int8_t& finetune) {
    // An XM sample on C-4 with no tuning plays at 8363 Hz.
    double semitones = 12.0 * std::log2(result.rate / 8363.0);
    if (result.pitch > 0.0) semitones += 12.0 * std::log2(kMiddleC / result.pitch);
    long whole = std::lround(semitones);
    relativeNote = int8_t(std::clamp(whole, -96L, 95L));
    finetune = int8_t(std::clamp(std::lround((semitones - double(whole)) * 128.0), -128L, 127L));
}

}  // namespace zuzor
