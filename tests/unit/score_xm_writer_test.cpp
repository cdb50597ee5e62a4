// The XM writer, checked against two independent readers (libopenmpt and libxmp), and its
// refusal of modules the format cannot hold.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <xmp.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "authoring/xm_writer.h"

using namespace zuzor;

namespace {

XmSample rampSample(size_t length, uint32_t loopStart, uint32_t loopLength) {
    XmSample s;
    s.name = "ramp";
    for (size_t i = 0; i < length; ++i) s.data.push_back(int16_t(int(i * 97 % 60000) - 30000));
    s.loopStart = loopStart;
    s.loopLength = loopLength;
    s.volume = 48;
    s.finetune = -27;
    s.relativeNote = 29;
    s.panning = 200;
    return s;
}

// Two patterns of different lengths, an empty instrument between two real ones, envelopes
// with sustain and loop: the corners where a writer's offsets go wrong.
XmModule sampleModule() {
    XmModule m;
    m.name = "writer check";
    m.channels = 3;
    m.speed = 5;
    m.tempo = 140;
    XmPattern a(64, 3), b(17, 3);
    a.at(0, 0) = {49, 1, 0x50, 0, 0};    // C-4, instrument 1, volume 64
    a.at(5, 1) = {97, 0, 0, 0, 0};       // key off
    a.at(63, 2) = {0, 0, 0, 35, 0x64};   // Z64 alone
    b.at(16, 0) = {61, 3, 0x30, 10, 4};  // C-5, instrument 3, A04
    b.at(3, 2) = {0, 0, 0, 0, 0x37};     // arpeggio 037: effect 0 with a parameter
    m.patterns = {a, b};
    m.orders = {0, 1, 1, 0};
    XmInstrument first;
    first.name = "first";
    first.samples.push_back(rampSample(1000, 100, 800));
    first.volumeEnvelope.enabled = true;
    first.volumeEnvelope.points = {{0, 0}, {10, 64}, {40, 32}, {80, 0}};
    first.volumeEnvelope.sustain = true;
    first.volumeEnvelope.sustainPoint = 2;
    first.panningEnvelope.enabled = true;
    first.panningEnvelope.points = {{0, 16}, {50, 48}, {100, 16}};
    first.panningEnvelope.loop = true;
    first.panningEnvelope.loopStart = 0;
    first.panningEnvelope.loopEnd = 2;
    first.fadeout = 512;
    first.vibratoDepth = 3;
    first.vibratoRate = 12;
    first.vibratoSweep = 64;
    XmInstrument empty;
    empty.name = "empty";
    XmInstrument third;
    third.name = "third";
    third.samples.push_back(rampSample(333, 0, 0));
    m.instruments = {first, empty, third};
    return m;
}

struct OpenMpt {
    explicit OpenMpt(const std::vector<uint8_t>& bytes)
        : module(openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
                                                    nullptr, nullptr, nullptr, nullptr, nullptr)) {}
    ~OpenMpt() {
        if (module) openmpt_module_destroy(module);
    }
    std::string instrumentName(int index) const {
        const char* s = openmpt_module_get_instrument_name(module, index);
        std::string name = s ? s : "";
        openmpt_free_string(s);
        return name;
    }
    openmpt_module* module;
};

TEST(XmWriter, LibopenmptReadsHeaderPatternsAndInstruments) {
    const std::vector<uint8_t> bytes = writeXm(sampleModule());
    OpenMpt mpt(bytes);
    ASSERT_NE(mpt.module, nullptr);
    openmpt_module* m = mpt.module;
    EXPECT_EQ(openmpt_module_get_num_orders(m), 4);
    EXPECT_EQ(openmpt_module_get_num_channels(m), 3);
    EXPECT_EQ(openmpt_module_get_num_patterns(m), 2);
    EXPECT_EQ(openmpt_module_get_num_instruments(m), 3);
    EXPECT_EQ(openmpt_module_get_order_pattern(m, 1), 1);
    EXPECT_EQ(openmpt_module_get_pattern_num_rows(m, 0), 64);
    EXPECT_EQ(openmpt_module_get_pattern_num_rows(m, 1), 17);
    EXPECT_EQ(mpt.instrumentName(0), "first");
    EXPECT_EQ(mpt.instrumentName(1), "empty");
    EXPECT_EQ(mpt.instrumentName(2), "third");

    auto command = [&](int pattern, int row, int channel, int which) {
        return int(openmpt_module_get_pattern_row_channel_command(m, pattern, row, channel, which));
    };
    // libopenmpt counts its notes an octave above XM's numbers.
    EXPECT_EQ(command(0, 0, 0, OPENMPT_MODULE_COMMAND_NOTE), 49 + 12);
    EXPECT_EQ(command(0, 0, 0, OPENMPT_MODULE_COMMAND_INSTRUMENT), 1);
    EXPECT_EQ(command(0, 0, 0, OPENMPT_MODULE_COMMAND_VOLUME), 64);
    EXPECT_EQ(command(1, 16, 0, OPENMPT_MODULE_COMMAND_NOTE), 61 + 12);
    EXPECT_EQ(command(1, 16, 0, OPENMPT_MODULE_COMMAND_INSTRUMENT), 3);
    EXPECT_EQ(command(1, 16, 0, OPENMPT_MODULE_COMMAND_PARAMETER), 4);
    EXPECT_EQ(command(0, 63, 2, OPENMPT_MODULE_COMMAND_PARAMETER), 0x64);
    EXPECT_EQ(command(1, 3, 2, OPENMPT_MODULE_COMMAND_PARAMETER), 0x37);
    const char* effect = openmpt_module_format_pattern_row_channel_command(
        m, 0, 63, 2, OPENMPT_MODULE_COMMAND_EFFECT);
    EXPECT_STREQ(effect, "Z");
    openmpt_free_string(effect);
}

TEST(XmWriter, LibxmpReadsSamplesLoopsAndEnvelopes) {
    const std::vector<uint8_t> bytes = writeXm(sampleModule());
    xmp_context ctx = xmp_create_context();
    ASSERT_EQ(xmp_load_module_from_memory(ctx, bytes.data(), long(bytes.size())), 0);
    xmp_module_info info;
    xmp_get_module_info(ctx, &info);
    const xmp_module* mod = info.mod;
    EXPECT_EQ(mod->len, 4);
    EXPECT_EQ(mod->chn, 3);
    EXPECT_EQ(mod->pat, 2 + 1);  // libxmp adds an empty pattern of its own
    EXPECT_EQ(mod->ins, 3);
    EXPECT_EQ(mod->spd, 5);
    EXPECT_EQ(mod->bpm, 140);
    EXPECT_STREQ(mod->xxi[2].name, "third");

    const xmp_instrument& first = mod->xxi[0];
    ASSERT_EQ(first.nsm, 1);
    EXPECT_EQ(first.rls, 512 * 2);  // libxmp keeps fadeout and vibrato depth in finer units
    EXPECT_EQ(first.aei.npt, 4);
    EXPECT_TRUE(first.aei.flg & XMP_ENVELOPE_ON);
    EXPECT_TRUE(first.aei.flg & XMP_ENVELOPE_SUS);
    EXPECT_EQ(first.aei.sus, 2);
    EXPECT_EQ(first.aei.data[2], 10);  // tick of point 1
    EXPECT_EQ(first.aei.data[3], 64);  // value of point 1
    EXPECT_EQ(first.pei.npt, 3);
    EXPECT_TRUE(first.pei.flg & XMP_ENVELOPE_LOOP);
    EXPECT_EQ(first.pei.lpe, 2);
    EXPECT_EQ(first.sub[0].vol, 48);
    EXPECT_EQ(first.sub[0].pan, 200);
    EXPECT_EQ(first.sub[0].xpo, 29);
    EXPECT_EQ(first.sub[0].vde, 3 * 4);
    EXPECT_EQ(first.sub[0].vra, 12);
    EXPECT_EQ(first.sub[0].vsw, 64);

    const xmp_sample& looped = mod->xxs[first.sub[0].sid];
    EXPECT_EQ(looped.len, 1000);
    EXPECT_EQ(looped.lps, 100);
    EXPECT_EQ(looped.lpe, 900);
    EXPECT_TRUE(looped.flg & XMP_SAMPLE_16BIT);
    EXPECT_TRUE(looped.flg & XMP_SAMPLE_LOOP);
    // The delta coding must give back the very values written.
    const int16_t* data = reinterpret_cast<const int16_t*>(looped.data);
    const XmSample original = rampSample(1000, 100, 800);
    for (size_t i = 0; i < original.data.size(); i += 37) ASSERT_EQ(data[i], original.data[i]) << i;

    const xmp_sample& oneShot = mod->xxs[mod->xxi[2].sub[0].sid];
    EXPECT_EQ(oneShot.len, 333);
    EXPECT_FALSE(oneShot.flg & XMP_SAMPLE_LOOP);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
}

TEST(XmWriter, RefusesWhatTheFormatCannotHold) {
    auto rejects = [](auto change) {
        XmModule m = sampleModule();
        change(m);
        EXPECT_THROW(writeXm(m), std::invalid_argument);
    };
    rejects([](XmModule& m) { m.orders.assign(257, 0); });
    rejects([](XmModule& m) { m.orders.clear(); });
    rejects([](XmModule& m) { m.orders.push_back(7); });  // no pattern 7
    rejects([](XmModule& m) { m.patterns[0] = XmPattern(0, 3); });
    rejects([](XmModule& m) { m.patterns[1] = XmPattern(257, 3); });
    rejects([](XmModule& m) { m.channels = 33; });
    rejects([](XmModule& m) { m.instruments[0].samples[0].loopLength = 901; });
    rejects([](XmModule& m) { m.instruments[0].volumeEnvelope.points.assign(13, {0, 0}); });
    rejects([](XmModule& m) { m.instruments.resize(129); });
    EXPECT_NO_THROW(writeXm(sampleModule()));
}

}  // namespace
