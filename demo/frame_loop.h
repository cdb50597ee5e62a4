// The bodies of the demo's tick and frame, free of any windowing toolkit, so that the
// demo, the tests, the benchmarks and the offline capture run the same code.
#pragma once

namespace zuzor {

struct DemoState;
class RandomSequence;
struct ShellHooks;

// Applies, in order, every sync event of the song whose row has been heard by now.
void applyHeardEvents(DemoState& state, ShellHooks& hooks);

// The idle callback's body: applies heard sync events, then runs one tick if more than
// 50 ms have passed since the last. Returns true when a tick ran.
bool idleStep(DemoState& state, ShellHooks& hooks);

// How long the idle body can wait before anything is due: the next tick (the timer
// passing 50 ms) or the next heard event, and at most `longestMs`.
double idleWaitMs(DemoState& state, double longestMs);

// One tick: the counter, the updates, the quit check, the redraw request, the timer reset.
void runTick(DemoState& state, ShellHooks& hooks);

// The display callback's body: applies heard sync events, then draws the frame.
void displayStep(DemoState& state, ShellHooks& hooks);

// Draws one frame into the current framebuffer (no buffer swap). Hidden: every layer makes
// its GL state changes and takes its random numbers, but nothing is drawn; what the show
// runs through without showing it (a fast-forward) leaves the state a drawn run leaves.
void drawFrame(DemoState& state, bool hidden = false);
// The same with the random numbers taken from `random` instead of the show's sequence: a
// frame drawn again, with a copy of the sequence as it stood before the frame's first
// drawing.
void drawFrame(DemoState& state, RandomSequence& random, bool hidden = false);

}  // namespace zuzor
