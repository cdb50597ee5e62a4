// The overlay bracket: both matrices pushed, an orthographic projection, popped again.
#include "overlays/overlay_2d.h"

#include <GL/gl.h>

namespace zuzor {

void beginOverlay2D(float left, float right, float bottom, float top) {
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(double(left), double(right), double(bottom), double(top), -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void endOverlay2D() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

}  // namespace zuzor
