// Overlay bracket, camera and the shared random sequence.
#include "base/render_helpers.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace zuzor {

uint32_t randomState = 1;

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

void Camera::lookAt(float eyeX, float eyeY, float eyeZ, float centerX, float centerY,
                    float centerZ) const {
    gluLookAt(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, 0.0, 1.0, 0.0);
}

int32_t nextRandom() {
    randomState = randomState * 214013u + 2531011u;
    return int32_t((randomState >> 16) & 0x7FFF);
}

}  // namespace zuzor
