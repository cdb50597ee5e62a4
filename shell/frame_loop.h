// The bodies of the demo's start-up, tick and frame, free of any windowing toolkit, so
// that the demo, the tests, the benchmarks and the offline capture run the same code.
#pragma once

struct DemoState;
struct ShellHooks;

// One-time initialisation, with a current GL context: switches, scene objects, fixed GL
// state, timer, sound output, the song and the logo. Prints the start-up line.
void initScene(DemoState& state, ShellHooks& hooks);

// The first two steps of initScene, for tests and tools that bring their own music:
// the switches and the scene objects' init (with a current GL context), ...
void initSceneObjects(DemoState& state);
// ... and the fixed GL state the whole run relies on (projection, blending, light 0, ...).
void setFixedGlState();

// The idle callback's body: applies heard sync events, then runs one tick if more than
// 50 ms have passed since the last. Returns true when a tick ran.
bool idleStep(DemoState& state, ShellHooks& hooks);

// One tick: the counter, the updates, the quit check, the redraw request, the timer reset.
void runTick(DemoState& state, ShellHooks& hooks);

// The display callback's body: applies heard sync events, then draws the frame.
void displayStep(DemoState& state);

// Draws one frame into the current framebuffer (no buffer swap).
void drawFrame(DemoState& state);

// The music's part of the shutdown: stop and free the song, close sound output.
void stopMusic(DemoState& state);
