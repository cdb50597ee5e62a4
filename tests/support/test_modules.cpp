// Generated test modules: one square-wave instrument, notes on channel 0.
#include "tests/support/test_modules.h"

namespace zuzor {

namespace {

XmInstrument squareInstrument() {
    XmInstrument instrument;
    instrument.name = "square";
    XmSample sample;
    sample.name = "square";
    for (int i = 0; i < 64; ++i) sample.data.push_back(int16_t(i < 32 ? 8000 : -8000));
    sample.loopStart = 0;
    sample.loopLength = 64;
    sample.volume = 48;
    instrument.samples.push_back(sample);
    return instrument;
}

}  // namespace

XmModule makeTestModule(const TestModuleShape& shape) {
    XmModule module;
    module.name = "zuzor test";
    module.channels = 1 + shape.scriptChannels;
    module.speed = shape.speed;
    module.tempo = shape.tempo;
    module.instruments.push_back(squareInstrument());
    for (int order = 0; order < shape.orders; ++order) {
        XmPattern pattern(shape.rows, module.channels);
        if (shape.noteEvery > 0) {
            for (int row = 0; row < shape.rows; row += shape.noteEvery) {
                XmCell& cell = pattern.at(row, 0);
                cell.note = uint8_t(49 + (row / shape.noteEvery) % 12);  // from C-4 upwards
                cell.instrument = 1;
            }
        }
        module.patterns.push_back(pattern);
        module.orders.push_back(uint8_t(order));
    }
    return module;
}

void putEffect(XmModule& module, int order, int row, int channel, uint8_t effect, uint8_t param) {
    XmCell& cell = module.patterns[module.orders[size_t(order)]].at(row, channel);
    cell.effect = effect;
    cell.param = param;
}

void putScriptEvent(XmModule& module, int order, int row, int channel, uint8_t code) {
    putEffect(module, order, row, channel, 35, code);
}

std::vector<uint8_t> testModuleBytes(const XmModule& module) {
    return writeXm(module);
}

}  // namespace zuzor
