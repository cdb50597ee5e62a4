// The layers that close every frame: the fade layer (depth test off for the logo), the
// logo square, and the two black side bars over everything.
#include "overlays/side_bars.h"

#include <GL/gl.h>

#include "overlays/overlay_2d.h"

namespace zuzor {

void FadeLayer::draw() const {
    glDisable(GL_DEPTH_TEST);
}

void drawLogo(const TgaImage& logo, bool hidden) {
    beginOverlay2D(-5, 5, -5, 5);
    // Opaque even when the image carries alpha; with no image (texture 0) the square is
    // plain white.
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, logo.texture);
    if (hidden) {
        glTexCoord2d(0.0, 1.0);  // the last corner's, as the drawn square leaves it
    } else {
        glBegin(GL_QUADS);
        glTexCoord2d(0.0, 0.0);
        glVertex2i(-2, -2);
        glTexCoord2d(1.0, 0.0);
        glVertex2i(2, -2);
        glTexCoord2d(1.0, 1.0);
        glVertex2i(2, 2);
        glTexCoord2d(0.0, 1.0);
        glVertex2i(-2, 2);
        glEnd();
    }
    glDisable(GL_TEXTURE_2D);
    // Blending is left on; the flash panels of the next frame switch it off again.
    glEnable(GL_BLEND);
    endOverlay2D();
}

void SideBars::draw(bool hidden) const {
    // The view starts at y 1 so the bars, drawn from y 0, reach past the bottom edge.
    beginOverlay2D(0, 10, 1, 10);
    glDisable(GL_DEPTH_TEST);
    // Opaque black replaces whatever lies beneath under the standing blend function, so the
    // blending switch does not matter here.
    glColor3f(0, 0, 0);
    if (!hidden) drawBars();
    glEnable(GL_DEPTH_TEST);
    endOverlay2D();
}

void SideBars::drawBars() const {
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(1, 0);
    glVertex2i(1, 10);
    glVertex2i(0, 10);
    glVertex2i(9, 0);
    glVertex2i(10, 0);
    glVertex2i(10, 10);
    glVertex2i(9, 10);
    glEnd();
}

}  // namespace zuzor
