// The scene objects' start, the fixed GL state, the rest of the demo's start-up and the
// music's shutdown.
#include "demo/start_up.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "base/constants.h"
#include "base/trace.h"
#include "demo/demo_state.h"
#include "demo/effects_warm_up.h"
#include "sync/module_player.h"

namespace zuzor {

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

void setStartSwitches(DemoState& s) {
    s.showTower = false;
    s.showGrid = false;
    s.showWarp = false;
    s.showVoxels = true;
}

void initSceneObjects(DemoState& s) {
    setStartSwitches(s);
    s.flashPanels.init();
    s.ringTower.init(s.towerFlash);
    s.blobGrid.init();
    s.warpScene.init();
    s.voxelField.init();
}

void beginStartUp(DemoState& s) {
    beginOpeningSoundOutput(mixRate);
    warmUpEffects(s);
    traceLine("start warm-up");
}

void finishStartUp(DemoState& s) {
    traceLine("start sound output");
    playSong(s.song.get());
    traceLine("start music");
}

void stopMusic(DemoState& s) {
    stopSong(s.song.get());
    s.song.reset();
    closeSoundOutput();
}

}  // namespace zuzor
