// The beat flashes: four quarter-screen squares whose alpha decays once per tick. The sync
// events light and clear the pulses; this file only decays and draws them.
#include "overlays/flash_panels.h"

#include <GL/gl.h>

#include "overlays/overlay_2d.h"

namespace zuzor {

void FlashPanels::init() {
    const float square[8] = {0, 0, 5, 0, 5, 5, 0, 5};
    for (int i = 0; i < 8; ++i) quad[i] = square[i];
    for (float& p : pulse) p = 0;
    fastDecay = false;
}

void FlashPanels::update() {
    // Not clamped: ten slow steps from 1 end a hair below zero, and a pulse already at or
    // below zero is left as it is.
    double step = fastDecay ? 0.5 : 0.1;
    for (float& p : pulse) {
        float current = p;  // the sync callback may store a new pulse at any moment
        if (current > 0) p = float(double(current) - step);
    }
}

void FlashPanels::bindVertices() const {
    glVertexPointer(2, GL_FLOAT, 0, quad);
}

void FlashPanels::draw(bool hidden) const {
    glDisable(GL_DEPTH_TEST);
    beginOverlay2D(0, 10, 0, 10);
    glEnable(GL_BLEND);
    drawPanels(hidden);
    glDisable(GL_BLEND);
    endOverlay2D();
    glEnable(GL_DEPTH_TEST);
}

void FlashPanels::drawPanels(bool hidden) const {
    // One square walked round the quarters; each translation happens whether or not the
    // panel before it is lit, so every panel lands in its own quarter.
    glPushMatrix();
    float p = pulse[2];
    if (p > 0) {
        glColor4f(0.6f, 0.3f, 0.3f, p);
        if (!hidden) drawQuad();
    }
    glTranslatef(5, 0, 0);
    p = pulse[3];
    if (p > 0) {
        glColor4f(1.0f, 0.3f, 0.4f, p);
        if (!hidden) drawQuad();
    }
    glTranslatef(0, 5, 0);
    p = pulse[1];
    if (p > 0) {
        glColor4f(0.0f, 0.1f, 0.4f, p);
        if (!hidden) drawQuad();
    }
    glTranslatef(-5, 0, 0);
    p = pulse[0];
    if (p > 0) {
        glColor4f(0.1f, 0.5f, 0.4f, p);
        if (!hidden) drawQuad();
    }
    glPopMatrix();
}

void FlashPanels::drawQuad() const {
    glDrawArrays(GL_QUADS, 0, 4);
}

}  // namespace zuzor
