// The opening effect. Sources move once per tick; the whole lattice is recomputed in place
// in every drawn frame and handed to GL in a single vertex-array draw.
#include "effects/voxel_field.h"

#include <GL/gl.h>

#include <cmath>

#include "base/show_math.h"
#include "effects/camera.h"

namespace zuzor {

namespace {

// Distance from a source to a lattice point; the differences are stored as floats before
// they are squared, as the picture was tuned with them.
float distanceTo(const float source[3], int32_t i, int32_t j, int32_t k) {
    float dx = float(double(source[0]) - i);
    float dy = float(double(source[1]) - j);
    float dz = float(double(source[2]) - k);
    double sum = double(dx) * dx + double(dy) * dy + double(dz) * dz;
    return float(std::sqrt(sum));
}

}  // namespace

float voxelRawValue(float d1, float d2, float d3) {
    return float(std::cos(double(d2)) * std::sin(double(d1)) * double(d3));
}

float voxelCellValue(float raw) {
    if (raw > 50.0f) return 0.0f;
    return float(double(raw) / 70.0);
}

void VoxelLattice::setSource(float x, float y, float z, int32_t n) {
    if (n < 1 || n > 3) return;
    sources[n - 1][0] = x;
    sources[n - 1][1] = y;
    sources[n - 1][2] = z;
}

void VoxelLattice::rebuild() {
    float* corner = vertices;
    for (int32_t i = -10; i < 10; ++i) {
        for (int32_t j = -10; j < 10; ++j) {
            for (int32_t k = -10; k < 10; ++k) {
                float d1 = distanceTo(sources[0], i, j, k);
                float d2 = distanceTo(sources[1], i, j, k);
                float d3 = distanceTo(sources[2], i, j, k);
                float v = voxelCellValue(voxelRawValue(d1, d2, d3));
                cells[i + 10][j + 10][k + 10] = v;

                float left = float(i - double(v));
                float right = float(i + double(v));
                float bottom = float(j - double(v));
                float top = float(j + double(v));
                float z = float(k);
                const float square[12] = {left,  bottom, z, right, bottom, z,
                                          right, top,    z, left,  top,    z};
                for (float c : square) *corner++ = c;
            }
        }
    }
}

void VoxelLattice::drawQuads() const {
    glDrawArrays(GL_QUADS, 0, vertexCount);
}

void VoxelField::init() {
    lattice.setSource(10, 10, 10, 1);
    lattice.setSource(15, 15, 10, 2);
    lattice.setSource(10, 8, 15, 3);
    cameraX = 40;
}

void VoxelField::update(int32_t t) {
    // Whole-degree angles formed as integers first; 8t + 10 fits in 32 bits for any tick a
    // float counter can reach.
    double a3 = degToRad(double(3 * t));
    double a8 = degToRad(double(8 * t));
    double a8Shifted = degToRad(double(8 * t + 10));

    lattice.setSource(float(10.0 - 10.0 * std::cos(a3)), float(10.0 - 10.0 * std::sin(a3)),
                      float(10.0 - 10.0 * std::cos(a3)), 1);
    lattice.setSource(float(15.0 + 3.0 * std::sin(a8Shifted)), float(15.0 - 2.0 * std::sin(a8)),
                      float(10.0 + 2.0 * std::cos(a8)), 2);
    lattice.setSource(float(10.0 - 3.0 * std::sin(a8Shifted)),
                      float(8.0 + 3.0 * std::sin(a8Shifted)),
                      float(15.0 - 3.0 * std::sin(a8Shifted)), 3);
    cameraX = float(40.0 * std::cos(degToRad(double(t))));
}

void VoxelField::draw(const Camera& camera, float tick, bool hidden) {
    // The field owns the picture: whatever was drawn before it in this frame is wiped, while
    // the depth values stay.
    if (!hidden) glClear(GL_COLOR_BUFFER_BIT);
    camera.lookAt(cameraX, 0, -30, 0, 0, 0);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glVertexPointer(3, GL_FLOAT, 0, lattice.vertices);
    if (!hidden) lattice.rebuild();

    // With (ONE, ONE_MINUS_SRC_ALPHA) a black square at alpha 0.2 scales what lies under
    // it by 0.8, so overlaps darken in steps.
    glColor4f(0, 0, 0, 0.2f);
    glPushMatrix();
    if (!hidden) lattice.drawQuads();

    // The outline lives in eye space, centred on the screen whatever the camera does.
    glLoadIdentity();
    glTranslatef(0, 0, -30);
    float s = float(1.0 + 0.5 * std::cos(degToRad(double(tick))));
    glScalef(s, s, s);
    glLineWidth(outlineWidth);
    glColor4f(0, 0, 0, 0.9f);
    if (!hidden) {
        glBegin(GL_LINE_LOOP);
        glVertex3f(-10, -10, 0);
        glVertex3f(10, -10, 0);
        glVertex3f(10, 10, 0);
        glVertex3f(-10, 10, 0);
        glEnd();
    }

    glPopMatrix();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

}  // namespace zuzor
