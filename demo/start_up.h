// The steps of the show's start (demo/show.h) that the demo also takes on its own: the
// switches, the scene objects and the fixed GL state; the rest of the demo's start-up once
// its first frame is on screen; the music's shutdown.
#pragma once

namespace zuzor {

struct DemoState;

// The switches and the scene objects' init (with a current GL context), ...
void initSceneObjects(DemoState& state);
// Which effects the show draws at its start (part of initSceneObjects; no GL).
void setStartSwitches(DemoState& state);
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
