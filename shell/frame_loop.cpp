// Start-up, tick and frame of the demo.
#include "shell/frame_loop.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

#include "effects/effects_warm_up.h"
#include "shell/demo_state.h"
#include "shell/shell_hooks.h"
#include "shell/trace.h"
#include "sync/module_player.h"
#include "sync/sync_events.h"

namespace {

constexpr float tickLengthMs = 50.0f;
constexpr float gridPhaseTicks = 180.0f;

struct SyncContext {
    DemoState* state;
    ShellHooks* hooks;
};
SyncContext syncContext;

void applySyncEvent(void* context, uint8_t code) {
    auto* sync = static_cast<SyncContext*>(context);
    onSyncEvent(*sync->state, *sync->hooks, code);
}

}  // namespace

void setFixedGlState() {
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.3, double(0.1f), 200.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glEnableClientState(GL_VERTEX_ARRAY);
    glClearColor(1.0f, 1.0f, 1.0f, 0.5f);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 0.01f);
    glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.05f);
    const GLfloat ambient[] = {0.3f, 0.3f, 0.3f, 1.0f};
    const GLfloat specular[] = {0.1f, 0.1f, 0.1f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_SPECULAR);
}

void initSceneObjects(DemoState& s) {
    s.showTower = false;
    s.showGrid = false;
    s.showWarp = false;
    s.showVoxels = true;

    s.flashPanels.init();
    s.ringTower.init(s);
    s.blobGrid.init();
    s.warpScene.init();
    s.voxelField.init();
}

void initScene(DemoState& s, ShellHooks& hooks) {
    openTraceFromEnvironment();
    initSceneObjects(s);
    setFixedGlState();
    warmUpEffects(s);
    s.timer.start();

    openSoundOutput(44100);
    s.song = loadSong("Data\\ZUZOR.XM");
    if (!s.song) {
        std::fputs("\nImpossibile caricare il file\n", stdout);
        std::fflush(stdout);
        return;
    }
    syncContext = {&s, &hooks};
    setSyncHandler(s.song, applySyncEvent, &syncContext);
    loadTga(s.logo, "Data\\drell.tga");
    std::fputs("inizializzazione fatta\n", stdout);
    std::fflush(stdout);
}

bool idleStep(DemoState& s, ShellHooks& hooks) {
    deliverSyncEvents(s.song);
    if (!(s.timer.elapsedMs() > tickLengthMs)) return false;
    runTick(s, hooks);
    return true;
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

void displayStep(DemoState& s) {
    deliverSyncEvents(s.song);
    drawFrame(s);
    traceLine("frame %d", wholeTick(s.tick));
}

void drawFrame(DemoState& s) {
    int32_t n = wholeTick(s.tick);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    // The voxel field clears the colour buffer before it draws, so under it the other
    // effects only need to leave their GL state (and take their random numbers).
    const bool voxels = s.showVoxels;
    if (s.showTower) {
        s.ringTower.bindArrays();
        s.ringTower.draw(s, s.towerCopies, n, s.towerCameraAlt, voxels);
    }
    if (s.showGrid) s.blobGrid.draw(voxels);
    if (s.showWarp) s.warpScene.draw(s, n, voxels);
    if (voxels) s.voxelField.draw(s.camera, s.tick);
    s.flashPanels.bindVertices();
    s.flashPanels.draw();
    s.fadeLayer.draw();
    if (s.logoVisible) drawLogo(s.logo);
    s.sideBars.draw();
}

void stopMusic(DemoState& s) {
    stopSong(s.song);
    freeSong(s.song);
    closeSoundOutput();
}
