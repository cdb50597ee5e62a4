// The show's one start-up sequence. The demo, the offline capture, the tests and the
// benchmarks all start the show through initScene; they differ only in the choices of
// SceneStart.
#pragma once

namespace zuzor {

struct DemoState;
struct TimeSource;

struct SceneStart {
    // The frame timer's time source; null: the run's clock.
    const TimeSource* clock = nullptr;
    // Draw every effect once in every GL state it meets in the show, so the GL builds its
    // shader variants now instead of in the middle of the show.
    bool warmUp = true;
    // A viewport over the whole surface of this size, as the window's default reshape
    // gives the demo before its first frame; 0 leaves the viewport to the window.
    int viewportWidth = 0;
    int viewportHeight = 0;
    // How many times the show's 600 lines the picture is drawn on, where it is larger (a
    // capture at 1080 lines, or drawn twice the size to be filtered down): what is drawn in
    // pixels, the voxel field's outline, widens by as much. 1 everywhere else.
    float pixelScale = 1.0f;
    // Load the module (or take the one beginLoadingModule loads), the logo, and print the
    // start-up line; the sound output opens when the music first needs it (finishStartUp,
    // playSong). Without it, no module and no message.
    bool music = true;
    // Load the logo also without music (for runs that bring their own).
    bool logo = false;
};

// One-time initialisation, with a current GL context: switches, scene objects, fixed GL
// state, warm-up, timer, then as chosen the song, the logo and the start-up line on
// standard output.
void initScene(DemoState& state, const SceneStart& start = {});

// The first steps of initScene, for tests that look at them alone: the switches and the
// scene objects' init (with a current GL context), ...
void initSceneObjects(DemoState& state);
// ... and the fixed GL state the whole run relies on (projection, blending, light 0, ...).
void setFixedGlState();

// The demo's start-up once its first frame is on screen (or the window has stayed unseen a
// while), for a start without the warm-up, in two steps. beginStartUp: the sound output
// starts opening as background work (the search for a device can take longer than
// everything before the first frame), the warm-up runs meanwhile (the opening scene needs
// none of the effects it prepares). Then, once soundOutputOpening() is false,
// finishStartUp: the music, from the start of the song. The music and the ticks begin
// together, as they always did.
void beginStartUp(DemoState& state);
void finishStartUp(DemoState& state);

// The music's part of the shutdown: stop and free the song, close sound output.
void stopMusic(DemoState& state);

}  // namespace zuzor
