// The synthesizer and the compiler around it: repeatable output, seamless loops, notes that
// sound at their pitch when libopenmpt plays them, and faults reported with their line.
#include "authoring/synth.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <string>

#include "authoring/score_compiler.h"

using namespace zuzor;

namespace {

TEST(Synth, SameVoiceSameSamples) {
    for (const char* kind : {"kick", "snare", "hat", "noise", "bass", "pad", "lead", "pluck"}) {
        SynthVoice voice{kind, {}};
        SynthResult a = synthesize(voice);
        SynthResult b = synthesize(voice);
        ASSERT_FALSE(a.data.empty()) << kind;
        EXPECT_EQ(a.data, b.data) << kind;
        // Every kind is normalised to its gain (0.9 by default), never beyond full scale.
        int peak = 0;
        for (int16_t s : a.data) peak = std::max(peak, std::abs(int(s)));
        EXPECT_NEAR(peak, 0.9 * 32767, 2) << kind;
    }
    SynthVoice reseeded{"snare", {{"seed", 99}}};
    EXPECT_NE(synthesize(reseeded).data, synthesize(SynthVoice{"snare", {}}).data);
}

TEST(Synth, LoopsJoinWithoutAStep) {
    for (const char* kind : {"bass", "pad", "lead"}) {
        SynthResult r = synthesize(SynthVoice{kind, {}});
        ASSERT_EQ(r.loopStart, 0u) << kind;
        ASSERT_EQ(r.loopLength, r.data.size()) << kind;
        // The jump from the loop's end back to its start is no bigger than the largest
        // step inside the loop.
        int largest = 0;
        for (size_t i = 1; i < r.data.size(); ++i) {
            largest = std::max(largest, std::abs(r.data[i] - r.data[i - 1]));
        }
        EXPECT_LE(std::abs(r.data.front() - r.data.back()), largest) << kind;
    }
}

TEST(Synth, RejectsUnknownKindsParametersAndValues) {
    EXPECT_THROW(synthesize(SynthVoice{"cowbell", {}}), SynthError);
    EXPECT_THROW(synthesize(SynthVoice{"kick", {{"pitch", 60}}}), SynthError);
    EXPECT_THROW(synthesize(SynthVoice{"pad", {{"loop", 0}}}), SynthError);
    EXPECT_THROW(synthesize(SynthVoice{"noise", {{"length", 60}}}), SynthError);
    EXPECT_THROW(synthesize(SynthVoice{"hat", {{"decay", -1}}}), SynthError);
}

// Renders a one-note module with libopenmpt and counts the sine's rising zero crossings.
double soundingFrequency(const std::string& kind, const std::string& note) {
    std::string score = "channels a\ninstrument S \"Sine\"\n synth " + kind +
                        " sine=1 saw=0 square=0 sub=0 voices=1\nend\npattern p\n00 | " + note +
                        " S v40 |\n";
    for (int i = 1; i < 64; ++i) score += "   |  |\n";  // keeps the note sounding for 7.7 s
    score += "end\norder p\n";
    const std::vector<uint8_t> bytes = compileScore(score, "pitch.score");
    openmpt_module* m = openmpt_module_create_from_memory2(
        bytes.data(), bytes.size(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(m, nullptr);
    if (!m) return 0.0;
    std::vector<float> left(44100 * 2);
    std::vector<float> right(left.size());
    openmpt_module_read_float_stereo(m, 44100, left.size(), left.data(), right.data());
    openmpt_module_destroy(m);
    // Measure over one second, after the attack.
    int crossings = 0;
    for (size_t i = 22050 + 1; i < 22050 + 44100; ++i) crossings += left[i - 1] < 0 && left[i] >= 0;
    return double(crossings);
}

TEST(Synth, NotesSoundAtTheirPitch) {
    EXPECT_NEAR(soundingFrequency("lead", "A-4"), 440.0, 2.0);
    EXPECT_NEAR(soundingFrequency("pad", "A-3"), 220.0, 2.0);
    EXPECT_NEAR(soundingFrequency("bass", "A-2"), 110.0, 2.0);
}

TEST(Synth, XmTuningPlaysUnpitchedSoundsAtTheirOwnRate) {
    SynthResult r;
    r.rate = 8363.0;
    int8_t relative = 1, fine = 1;
    xmTuning(r, relative, fine);
    EXPECT_EQ(relative, 0);
    EXPECT_EQ(fine, 0);
    r.rate = 16726.0;  // an octave above the XM base rate
    xmTuning(r, relative, fine);
    EXPECT_EQ(relative, 12);
    EXPECT_EQ(fine, 0);
}

TEST(ScoreCompiler, SameScoreSameBytesAndSynthFaultsNameTheInstrumentLine) {
    const std::string score =
        "channels a script\n"
        "instrument K \"Kick\"\n synth kick\nend\n"
        "instrument H \"Hat\"\n synth hat\nend\n"
        "pattern p\n00 | C-4 K | ... .. ... Z14 |\n01 | C-4 H | |\nend\norder p p\n";
    EXPECT_EQ(compileScore(score, "s"), compileScore(score, "s"));

    std::string broken = score;
    broken.replace(broken.find("synth hat"), 9, "synth hat metal=x1");
    try {
        compileScore(broken, "s");
        ADD_FAILURE() << "no error";
    } catch (const ScoreError& e) {
        EXPECT_EQ(e.line, 6);
    }
    broken = score;
    broken.replace(broken.find("synth hat"), 9, "synth hat pitch=440");
    try {
        compileScore(broken, "s");
        ADD_FAILURE() << "no error";
    } catch (const ScoreError& e) {
        EXPECT_EQ(e.line, 5);  // reported at the instrument it belongs to
        EXPECT_NE(std::string(e.what()).find("no parameter 'pitch'"), std::string::npos);
    }
}

}  // namespace
