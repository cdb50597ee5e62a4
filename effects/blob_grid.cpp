// The blob grid: a two-source field taken once per tick, drawn as 2,500 turned squares.
#include "effects/blob_grid.h"

#include <GL/gl.h>

#include <cmath>

#include "base/random_sequence.h"
#include "base/show_math.h"

namespace zuzor {

namespace {
constexpr int32_t gridSize = 50;

float fieldValue(const BlobGrid::Sources& s, int32_t cellX, int32_t cellY) {
    double x = cellX;
    double y = cellY;
    double dx1 = x - s.point1[0];
    double dy1 = y - s.point1[1];
    float distance1 = float(std::sqrt(dx1 * dx1 + dy1 * dy1));
    float value = float(s.strength1 / (distance1 + 5.0));
    double dx2 = x - s.point2[0];
    double dy2 = y - s.point2[1];
    float distance2 = float(std::sqrt(dx2 * dx2 + dy2 * dy2));
    return float(s.strength2 / (distance2 + 5.0) + value);
}

}  // namespace

void BlobGrid::init() {
    centre1[0] = 25.0f;
    centre1[1] = 25.0f;
    centre2[0] = 20.0f;
    centre2[1] = 20.0f;
}

void BlobGrid::update(int32_t t1, int32_t t2) {
    // The field is taken before the sources move, so what is drawn trails them by a tick.
    fieldSources = sources();
    fieldDue = true;
    cellX = gridSize;
    cellY = gridSize;
    movePoints(t1, t2);
}

void BlobGrid::reseed(RandomSequence& random) {
    centre1[0] = float(random.next() % 50);
    centre1[1] = float(random.next() % 50);
    centre2[0] = float(random.next() % 50);
    centre2[1] = float(random.next() % 50);
}

void BlobGrid::movePoints(int32_t t1, int32_t t2) {
    point1[0] = float(centre1[0] - 10.0 * std::cos(degToRad(15.0 * t1)));
    point1[1] = float(centre1[1] + 10.0 * std::sin(degToRad(14.0 * t1)));
    point2[0] = float(centre2[0] - 10.0 * std::cos(degToRad(15.0 * t2)));
    point2[1] = float(centre2[1] + 10.0 * std::sin(degToRad(14.0 * t2)));
    strength1 = float(10.0 * std::cos(degToRad(t1)));
    strength2 = float(10.0 * std::sin(degToRad(t2)));
}

BlobGrid::Sources BlobGrid::sources() const {
    return {{point1[0], point1[1]}, {point2[0], point2[1]}, strength1, strength2};
}

void BlobGrid::computeField(const Sources& from) {
    for (cellX = 0; cellX < gridSize; ++cellX)
        for (cellY = 0; cellY < gridSize; ++cellY)
            values[cellX][cellY] = fieldValue(from, cellX, cellY);
}

void BlobGrid::settleField() {
    if (!fieldDue) return;
    computeField(fieldSources);
    fieldDue = false;
}

void BlobGrid::draw(bool hidden) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, 50.0, 0.0, 50.0, -1.0, 1.0);
    // Replaced, not saved: whatever is drawn after the grid in this frame starts from here.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    if (hidden) {
        leaveLastCellState();
    } else {
        settleField();
        drawCells();
    }
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void BlobGrid::leaveLastCellState() {
    cellX = gridSize;
    cellY = gridSize;
    const int32_t last = gridSize - 1;
    double v = fieldDue ? fieldValue(fieldSources, last, last) : values[last][last];
    glColor4f(float(v * v), float(0.5 * v), float(0.2 * v), float(v + 5.0));
}

void BlobGrid::drawCells() {
    glTranslatef(0.5f, 0.5f, 0.0f);
    for (cellX = 0; cellX < gridSize; ++cellX) {
        for (cellY = 0; cellY < gridSize; ++cellY) {
            double v = values[cellX][cellY];
            float size = float(v);
            glPushMatrix();
            glTranslatef(float(cellX), float(cellY), 0.0f);
            glRotatef(float(90.0 * v * v), 0.0f, 0.0f, 1.0f);
            // The colour goes in after glBegin: the same current colour for the square, but
            // the GL takes it as a vertex attribute rather than as a new fragment constant,
            // which on Mesa's software renderer costs a full state copy per square.
            glBegin(GL_QUADS);
            glColor4f(float(v * v), float(0.5 * v), float(0.2 * v), float(v + 5.0));
            glVertex3f(-size, -size, 0.0f);
            glVertex3f(size, -size, 0.0f);
            glVertex3f(size, size, 0.0f);
            glVertex3f(-size, size, 0.0f);
            glEnd();
            glPopMatrix();
        }
    }
}

}  // namespace zuzor
