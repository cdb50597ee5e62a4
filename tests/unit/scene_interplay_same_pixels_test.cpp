// The grid and the swarm are drawn in the cheapest order of GL calls that gives the same
// picture. These tests keep the plain drawing, one call sequence per square exactly as the
// effect is described, and compare whole frames byte for byte across the show.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <vector>

#include "shell/demo_state.h"
#include "tests/support/scene_fixture.h"

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

void plainSquare() {
    GLubyte blue = GLubyte(nextRandom() % 256);
    GLubyte green = GLubyte(nextRandom() % 256);
    GLubyte red = GLubyte(nextRandom() % 256);
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

void plainSwarm(int32_t t, float pulse) {
    glRotatef(float(t + 10.0 * pulse), 0.0f, 0.0f, 1.0f);
    glTranslatef(-10.0f, -5.0f, -30.0f);
    glEnable(GL_BLEND);
    for (int32_t i = 0; i < 100; ++i) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(double(t + i * i) + 10.0 * pulse, 1.3 - pulse / 2.0, 0.1, 200.0);
        glMatrixMode(GL_MODELVIEW);
        for (int32_t j = 0; j < 10; ++j) {
            plainSquare();
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
            plainSquare();
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

struct SamePixels : ::testing::Test {
    SceneFixture scene;
    void SetUp() override {
        REQUIRE_GL(scene.gl);
        scene.init();
    }
    DemoState& s() { return *scene.state; }
    void startFrame(bool throughTowerCamera) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        if (throughTowerCamera) gluLookAt(0, 30, -90, 0, 0, 0, 0, 1, 0);
    }
};

const int32_t showTicks[] = {2, 37, 181, 402, 777, 1234, 2048, 3001, 4444};

TEST_F(SamePixels, GridMatchesThePlainDrawingAcrossTheShow) {
    BlobGrid& grid = s().blobGrid;
    for (int32_t t : showTicks) {
        grid.update(t - 1, t + 179);
        grid.update(t, t + 180);
        startFrame(false);
        plainGrid(grid);
        auto expected = scene.gl.readPixels();
        if (t > 2) {
            EXPECT_GT(drawnPixels(expected), 10000u) << "tick " << t;
        }
        GLfloat expectedColour[4], colour[4];
        glGetFloatv(GL_CURRENT_COLOR, expectedColour);
        startFrame(false);
        grid.draw();
        ASSERT_EQ(scene.gl.readPixels(), expected) << "tick " << t;
        glGetFloatv(GL_CURRENT_COLOR, colour);
        for (int c = 0; c < 4; ++c) EXPECT_EQ(colour[c], expectedColour[c]);
    }
}

TEST_F(SamePixels, SwarmMatchesThePlainDrawingAcrossTheShow) {
    WarpScene& warp = s().warpScene;
    int variant = 0;
    size_t drawn = 0;
    for (int32_t t : showTicks) {
        for (float pulse : {0.0f, 2.0f, 0.5f}) {
            bool throughTowerCamera = variant % 2 == 1;
            // After a lit tower pass the shade model stays flat.
            glShadeModel(variant % 3 == 2 ? GL_FLAT : GL_SMOOTH);
            ++variant;
            warp.pulse = pulse;
            uint32_t sequence = randomState;

            startFrame(throughTowerCamera);
            glMatrixMode(GL_PROJECTION);
            glPushMatrix();
            glMatrixMode(GL_MODELVIEW);
            plainSwarm(t, pulse);
            glMatrixMode(GL_PROJECTION);
            glPopMatrix();
            glMatrixMode(GL_MODELVIEW);
            auto expected = scene.gl.readPixels();
            drawn += drawnPixels(expected);
            uint32_t expectedSequence = randomState;
            GLdouble expectedModelview[16], modelview[16];
            glGetDoublev(GL_MODELVIEW_MATRIX, expectedModelview);

            randomState = sequence;
            startFrame(throughTowerCamera);
            glMatrixMode(GL_PROJECTION);
            glPushMatrix();
            glMatrixMode(GL_MODELVIEW);
            warp.drawSwarm(t);
            glMatrixMode(GL_PROJECTION);
            glPopMatrix();
            glMatrixMode(GL_MODELVIEW);
            ASSERT_EQ(scene.gl.readPixels(), expected) << "tick " << t << " pulse " << pulse;
            EXPECT_EQ(randomState, expectedSequence);
            glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
            for (int e = 0; e < 16; ++e) EXPECT_EQ(modelview[e], expectedModelview[e]);
        }
    }
    EXPECT_GT(drawn, 100000u);  // the comparison is over real pictures, not empty frames
}

}  // namespace
