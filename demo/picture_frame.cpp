// The bars are cleared once: nothing the show does afterwards reaches outside the scissor.
#include "demo/picture_frame.h"

#include <GL/gl.h>

namespace zuzor {

void confinePicture(const PictureRect& picture, int surfaceWidth, int surfaceHeight) {
    GLfloat showClear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, showClear);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(showClear[0], showClear[1], showClear[2], showClear[3]);

    glViewport(picture.x, picture.y, picture.width, picture.height);
    const bool whole = picture.x == 0 && picture.y == 0 && picture.width == surfaceWidth &&
                       picture.height == surfaceHeight;
    if (whole) return;
    glScissor(picture.x, picture.y, picture.width, picture.height);
    glEnable(GL_SCISSOR_TEST);
}

}  // namespace zuzor
