// Small generated XM modules for the player's tests and the e2e module generator: a
// note-playing channel and script channels, every order its own pattern.
#pragma once
#include <cstdint>
#include <vector>

#include "authoring/xm_writer.h"

namespace zuzor {

struct TestModuleShape {
    int speed = 6;
    int tempo = 125;
    int rows = 16;           // rows per pattern
    int orders = 1;          // patterns, played once each in order
    int scriptChannels = 1;  // channels after the note channel
    int noteEvery = 4;       // rows between notes on channel 0 (0: no notes)
};

// The module with notes on channel 0 and no script yet.
XmModule makeTestModule(const TestModuleShape& shape);

// Puts Z<code> on (order's pattern, row, channel). Channel 0 is the note channel.
void putScriptEvent(XmModule& module, int order, int row, int channel, uint8_t code);

// Puts any effect (by the tracker's number: 0xB jump, 0xD break, 0xE extended, 0xF
// speed/tempo) on a cell.
void putEffect(XmModule& module, int order, int row, int channel, uint8_t effect, uint8_t param);

std::vector<uint8_t> testModuleBytes(const XmModule& module);

}  // namespace zuzor
