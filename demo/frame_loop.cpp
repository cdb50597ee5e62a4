// The tick and the frame of the demo.
#include "demo/frame_loop.h"

#include <GL/gl.h>

#include <algorithm>

#include "base/constants.h"
#include "base/show_math.h"
#include "base/trace.h"
#include "demo/demo_state.h"
#include "demo/shell_hooks.h"
#include "demo/sync_events.h"
#include "sync/module_player.h"

namespace zuzor {

namespace {

constexpr float tickLengthMs = 50.0f;
constexpr float gridPhaseTicks = 180.0f;

}  // namespace

void applyHeardEvents(DemoState& s, ShellHooks& hooks) {
    HeardEvent event;
    while (pollHeardEvent(s.song.get(), event)) {
        onSyncEvent(s, hooks, event.code);
        traceLine("sync Z%02X code %u frame %llu song %.3f s heard %.3f applied %.3f", event.code,
                  event.code, (unsigned long long)event.outputFrame,
                  double(event.songFrame) / mixRate, event.heardAtMs, event.pulledAtMs);
    }
}

bool idleStep(DemoState& s, ShellHooks& hooks) {
    applyHeardEvents(s, hooks);
    if (!(s.timer.elapsedMs() > tickLengthMs)) return false;
    runTick(s, hooks);
    return true;
}

double idleWaitMs(DemoState& s, double longestMs) {
    const double untilTick = double(tickLengthMs) - double(s.timer.elapsedMs());
    const double untilEvent = msUntilNextEvent(s.song.get());
    return std::max(0.0, std::min({longestMs, untilTick, untilEvent}));
}

void runTick(DemoState& s, ShellHooks& hooks) {
    s.tick += 1.0f;
    int32_t n = wholeTick(s.tick);
    s.flashPanels.update();
    s.ringTower.update();
    s.blobGrid.update(n, wholeTick(s.tick + gridPhaseTicks));
    s.warpScene.update();
    s.voxelField.update(n);
    traceLine("tick %d", n);
    if (s.quitRequested) hooks.shutdown();
    hooks.requestRedraw();
    s.timer.reset();
}

void displayStep(DemoState& s, ShellHooks& hooks) {
    applyHeardEvents(s, hooks);
    drawFrame(s);
    traceLine("frame %d", wholeTick(s.tick));
}

void drawFrame(DemoState& s, bool hidden) {
    drawFrame(s, s.random, hidden);
}

void drawFrame(DemoState& s, RandomSequence& random, bool hidden) {
    int32_t n = wholeTick(s.tick);
    if (!hidden) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    // The voxel field clears the colour buffer before it draws, so under it the other
    // effects only need to leave their GL state (and take their random numbers).
    const bool voxels = s.showVoxels;
    const bool underneath = voxels || hidden;
    if (s.showTower) {
        s.ringTower.bindArrays();
        s.ringTower.draw(s.camera, s.towerSettings(), n, underneath);
    }
    if (s.showGrid) s.blobGrid.draw(underneath);
    if (s.showWarp)
        s.warpScene.draw(s.camera, s.ringTower, s.towerSettings(), n, random, underneath);
    if (voxels) s.voxelField.draw(s.camera, s.tick, hidden);
    s.flashPanels.bindVertices();
    s.flashPanels.draw(hidden);
    s.fadeLayer.draw();
    if (s.logoVisible) drawLogo(s.logo, hidden);
    s.sideBars.draw(hidden);
}

}  // namespace zuzor
