// The ring tower: one segment's geometry built once, replayed ten times per column and
// up to seven nested copies, with an optional lit column.
#include "effects/ring_tower.h"

#include <GL/gl.h>

#include <cmath>

#include "base/show_math.h"
#include "effects/camera.h"

namespace zuzor {

namespace {

constexpr int segmentsPerColumn = 10;
constexpr int stripLength = 22;

void copyPoint(float* to, const float* from) {
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
}

}  // namespace

void RingMesh::buildRings() {
    for (int k = 0; k < 10; ++k) {
        double angle = degToRad(36.0 * k);
        float* lowerInner = ringPoints[k];
        float* upperOuter = ringPoints[10 + k];
        float* upperInner = ringPoints[20 + k];
        lowerInner[0] = float(5.0 * std::cos(angle));
        lowerInner[1] = 0.0f;
        lowerInner[2] = float(5.0 * std::sin(angle));
        upperOuter[0] = float(6.0 * std::cos(angle));
        upperOuter[1] = 4.0f;
        upperOuter[2] = float(6.0 * std::sin(angle));
        upperInner[0] = lowerInner[0];
        upperInner[1] = 4.0f;
        upperInner[2] = lowerInner[2];
    }
}

void RingMesh::buildStrips() {
    // Both strips close by repeating their first pair rather than by an eleventh point.
    for (int k = 0; k <= 10; ++k) {
        int p = k % 10;
        copyPoint(&vertices[(2 * k) * 3], ringPoints[p]);
        copyPoint(&vertices[(2 * k + 1) * 3], ringPoints[10 + p]);
        copyPoint(&vertices[(stripLength + 2 * k) * 3], ringPoints[10 + p]);
        copyPoint(&vertices[(stripLength + 2 * k + 1) * 3], ringPoints[20 + p]);
    }
}

void RingMesh::drawSegment() const {
    glDrawArrays(GL_TRIANGLE_STRIP, 0, stripLength);
    glDrawArrays(GL_TRIANGLE_STRIP, stripLength, stripLength);
}

void RingMesh::drawColumn() const {
    for (int segment = 0; segment < segmentsPerColumn; ++segment) {
        drawSegment();
        glTranslatef(0.0f, 4.0f, 0.0f);
    }
}

void RingTower::init(bool& towerFlash) {
    mesh.buildRings();
    mesh.buildStrips();
    towerFlash = false;
}

void RingTower::update() {
    if (pulse > 0.0f) pulse = float(pulse * 0.7);
}

void RingTower::bindArrays() const {
    glVertexPointer(3, GL_FLOAT, 0, mesh.vertices);
    glNormalPointer(GL_FLOAT, 0, mesh.normals);
}

double RingTower::copyScale(int32_t i, int32_t t) {
    return 0.6 * (7 - i) + 0.5 * std::cos(degToRad(15.0 * t + 30.0 * i));
}

RingTower::Colour RingTower::copyColour(int32_t i, int32_t t) {
    double angle = degToRad(t);
    return {float(0.2 * (i + 1)), float(0.1 * i + 0.1 * std::cos(angle)),
            float(0.4 + 0.1 * std::sin(angle))};
}

void RingTower::draw(const Camera& camera, const TowerSettings& settings, int32_t t,
                     bool hidden) const {
    if (settings.cameraAlt)
        camera.lookAt(0.0f, 20.0f, -100.0f, 0.0f, 0.0f, 0.0f);
    else
        camera.lookAt(0.0f, 30.0f, -90.0f, 0.0f, 0.0f, 0.0f);
    glEnableClientState(GL_NORMAL_ARRAY);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);

    for (int32_t i = 0; i < settings.copies; ++i) {
        glPushMatrix();
        glTranslatef(0.0f, -10.0f, float(pulse - 50.0));
        glRotatef(float(t), 0.0f, 1.0f, 0.0f);
        Colour colour = copyColour(i, t);
        glColor3f(colour.red, colour.green, colour.blue);
        float scale = float(copyScale(i, t));
        glScalef(scale, scale, scale);
        if (!hidden) mesh.drawColumn();
        glPopMatrix();
    }

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);

    if (settings.lit) {
        // Given while the camera is on the modelview, so the light sits in scene coordinates.
        const GLfloat lightPosition[] = {0.0f, 20.0f, -60.0f, 1.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
        glEnable(GL_LIGHT0);
        glEnable(GL_LIGHTING);
        glShadeModel(GL_FLAT);
        glPushMatrix();
        glTranslatef(0.0f, float(-5.0 - pulse), float(pulse - 50.0));
        glRotatef(float(t + 20.0 * pulse), 0.0f, 1.0f, 0.0f);
        glColor4f(1.0f, 0.5f, 1.0f, 0.3f);
        if (!hidden) mesh.drawColumn();
        glPopMatrix();
        glDisable(GL_LIGHTING);
    }

    glDisable(GL_BLEND);
    glDisableClientState(GL_NORMAL_ARRAY);
}

}  // namespace zuzor
