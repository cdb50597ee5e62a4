// Draws the ring tower, blob grid and warp scene once with blending off and once with it on
// (the logo leaves blending on into the next frame), with the lit pass, so that Mesa's
// software renderer compiles their shader variants at start-up; on that renderer the first
// frame of a new context otherwise takes several times a normal frame. The GL's attribute
// stacks give back whatever state the warm-up found, so it can run before or after the
// first frame.
#include "demo/effects_warm_up.h"

#include <GL/gl.h>

#include <initializer_list>

#include "base/random_sequence.h"
#include "demo/demo_state.h"

namespace zuzor {

namespace {

// The state that the effects change, as the show's start leaves it: the warm-up draws from
// there, as it does when it runs inside the start.
void setStartUpState() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat defaultLightPosition[] = {0.0f, 0.0f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, defaultLightPosition);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(4, GL_FLOAT, 0, nullptr);
    glNormalPointer(GL_FLOAT, 0, nullptr);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
}

}  // namespace

void warmUpEffects(DemoState& state) {
    // Whatever state the frames before left (the demo warms up after its first frame) is
    // what the next frame finds again.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    setStartUpState();
    // The pictures are cleared again: their random numbers come from a sequence of their
    // own, so the show's is where it was.
    RandomSequence scratch;
    // The tower with every copy and its lit pass; the warp scene's with the lit pass too.
    const TowerSettings tower{7, true, false};
    const TowerSettings warpTower{state.towerCopies, true, state.towerCameraAlt};
    for (bool blending : {false, true}) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        if (blending) glEnable(GL_BLEND);
        state.ringTower.bindArrays();
        state.ringTower.draw(state.camera, tower, 0);
        state.blobGrid.draw();
        state.warpScene.draw(state.camera, state.ringTower, warpTower, 0, scratch);
    }
    glFinish();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();  // the matrix mode too
}

}  // namespace zuzor
