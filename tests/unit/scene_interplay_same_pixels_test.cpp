// The grid and the swarm are drawn in the cheapest order of GL calls that gives the same
// picture. These tests keep the plain drawing, one call sequence per square exactly as the
// effect is described, and compare whole frames byte for byte across the show.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "demo/demo_state.h"
#include "tests/support/scene_fixture.h"

using namespace zuzor;

namespace {

void plainGridCells(const BlobGrid& grid) {
    glTranslatef(0.5f, 0.5f, 0.0f);
    for (int x = 0; x < 50; ++x) {
        for (int y = 0; y < 50; ++y) {
            double v = grid.values[x][y];
            float size = float(v);
            glPushMatrix();
            glTranslatef(float(x), float(y), 0.0f);
            glRotatef(float(90.0 * v * v), 0.0f, 0.0f, 1.0f);
            glColor4f(float(v * v), float(0.5 * v), float(0.2 * v), float(v + 5.0));
            glBegin(GL_QUADS);
            glVertex3f(-size, -size, 0.0f);
            glVertex3f(size, -size, 0.0f);
            glVertex3f(size, size, 0.0f);
            glVertex3f(-size, size, 0.0f);
            glEnd();
            glPopMatrix();
        }
    }
}

void plainGrid(const BlobGrid& grid) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, 50.0, 0.0, 50.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    plainGridCells(grid);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void plainSquare(RandomSequence& random) {
    GLubyte blue = GLubyte(random.next() % 256);
    GLubyte green = GLubyte(random.next() % 256);
    GLubyte red = GLubyte(random.next() % 256);
    glColor4ub(red, green, blue, 240);
}

void plainUnitSquare() {
    glBegin(GL_QUADS);
    glVertex3f(-0.5f, -0.5f, 0.0f);
    glVertex3f(-0.5f, 0.5f, 0.0f);
    glVertex3f(0.5f, 0.5f, 0.0f);
    glVertex3f(0.5f, -0.5f, 0.0f);
    glEnd();
}

void plainSwarm(int32_t t, float pulse, RandomSequence& random) {
    glRotatef(float(t + 10.0 * pulse), 0.0f, 0.0f, 1.0f);
    glTranslatef(-10.0f, -5.0f, -30.0f);
    glEnable(GL_BLEND);
    for (int32_t i = 0; i < 100; ++i) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(double(t + i * i) + 10.0 * pulse, 1.3 - pulse / 2.0, 0.1, 200.0);
        glMatrixMode(GL_MODELVIEW);
        for (int32_t j = 0; j < 10; ++j) {
            plainSquare(random);
            glPushMatrix();
            glTranslatef(float(2 * j), 0.0f, float(i));
            plainUnitSquare();
            glPopMatrix();
        }
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(double(t - i * i) - 10.0 * pulse, 1.3 + pulse / 2.0, 0.1, 200.0);
        glMatrixMode(GL_MODELVIEW);
        for (int32_t j = 0; j < 10; ++j) {
            plainSquare(random);
            glPushMatrix();
            glTranslatef(0.0f, float(2 * j), float(i));
            plainUnitSquare();
            glPopMatrix();
        }
    }
    glDisable(GL_BLEND);
}

size_t drawnPixels(const std::vector<uint8_t>& pixels) {
    size_t count = 0;
    for (size_t p = 0; p < pixels.size(); p += 4)
        if (pixels[p] != 255 || pixels[p + 1] != 255 || pixels[p + 2] != 255) ++count;
    return count;
}

// Compares two frames; on a difference, says how many bytes differ and where the first is.
::testing::AssertionResult sameFrame(const std::vector<uint8_t>& got,
                                     const std::vector<uint8_t>& want) {
    if (got.size() != want.size()) return ::testing::AssertionFailure() << "sizes differ";
    size_t differing = 0, first = 0;
    int largest = 0;
    for (size_t b = 0; b < got.size(); ++b) {
        if (got[b] == want[b]) continue;
        if (differing++ == 0) first = b;
        largest = std::max(largest, std::abs(int(got[b]) - int(want[b])));
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    size_t pixel = first / 4;
    return ::testing::AssertionFailure()
           << differing << " bytes differ (by up to " << largest << "), the first at x "
           << pixel % 800 << " y " << pixel / 800 << " channel " << first % 4 << ": "
           << int(got[first]) << " instead of " << int(want[first]);
}

struct SamePixels : ::testing::Test {
    SceneFixture scene;
    void SetUp() override {
        REQUIRE_GL(scene.gl);
        scene.init();
    }
    DemoState& s() { return *scene.state; }
    void startFrame(int camera) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        if (camera == 1) gluLookAt(0, 30, -90, 0, 0, 0, 0, 1, 0);
        if (camera == 2) gluLookAt(0, 20, -100, 0, 0, 0, 0, 1, 0);
    }
};

// Ticks across the show; among them, for the swarm, ticks where a half-row's field of view is
// exactly 0 (t equal to a row number squared), which leaves that half-row without a perspective at
// all.
const int32_t showTicks[] = {1,   2,   13,  37,   49,   90,   181,  256,  402,  555,
                             777, 900, 999, 1234, 1600, 2048, 2500, 3001, 3600, 4444};

TEST_F(SamePixels, GridMatchesThePlainDrawingAcrossTheShow) {
    BlobGrid& grid = s().blobGrid;
    for (int32_t t : showTicks) {
        grid.update(t - 1, t + 179);
        grid.update(t, t + 180);
        startFrame(0);
        grid.settleField();
        plainGrid(grid);
        auto expected = scene.gl.readPixels();
        if (t > 2) {
            EXPECT_GT(drawnPixels(expected), 10000u) << "tick " << t;
        }
        GLfloat expectedColour[4], colour[4];
        glGetFloatv(GL_CURRENT_COLOR, expectedColour);
        startFrame(0);
        grid.draw();
        ASSERT_TRUE(sameFrame(scene.gl.readPixels(), expected)) << "tick " << t;
        glGetFloatv(GL_CURRENT_COLOR, colour);
        for (int c = 0; c < 4; ++c) EXPECT_EQ(colour[c], expectedColour[c]);
    }
}

TEST_F(SamePixels, SwarmMatchesThePlainDrawingAcrossTheShow) {
    WarpScene& warp = s().warpScene;
    int variant = 0;
    size_t drawn = 0;
    RandomSequence random;
    for (int32_t t : showTicks) {
        for (float pulse : {0.0f, 2.0f, 0.5f}) {
            int camera = variant % 3;  // the identity, or one of the tower's two cameras
            // After a lit tower pass the shade model stays flat.
            glShadeModel(variant % 2 == 1 ? GL_FLAT : GL_SMOOTH);
            ++variant;
            warp.pulse = pulse;
            RandomSequence plain = random;

            startFrame(camera);
            glMatrixMode(GL_PROJECTION);
            glPushMatrix();
            glMatrixMode(GL_MODELVIEW);
            plainSwarm(t, pulse, plain);
            glMatrixMode(GL_PROJECTION);
            glPopMatrix();
            glMatrixMode(GL_MODELVIEW);
            auto expected = scene.gl.readPixels();
            drawn += drawnPixels(expected);
            GLdouble expectedModelview[16], modelview[16];
            glGetDoublev(GL_MODELVIEW_MATRIX, expectedModelview);

            startFrame(camera);
            glMatrixMode(GL_PROJECTION);
            glPushMatrix();
            glMatrixMode(GL_MODELVIEW);
            warp.drawSwarm(t, random);
            glMatrixMode(GL_PROJECTION);
            glPopMatrix();
            glMatrixMode(GL_MODELVIEW);
            ASSERT_TRUE(sameFrame(scene.gl.readPixels(), expected))
                << "tick " << t << " pulse " << pulse;
            EXPECT_EQ(random.state(), plain.state());
            glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
            for (int e = 0; e < 16; ++e) EXPECT_EQ(modelview[e], expectedModelview[e]);
        }
    }
    EXPECT_GT(drawn, 100000u);  // the comparison is over real pictures, not empty frames
}

}  // namespace
