// How the effects meet in one frame: the shared modelview, the show's random sequence, and
// the voxel field's clear (stood in for by a plain colour clear until it is built).
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <vector>

#include "demo/demo_state.h"
#include "demo/frame_loop.h"
#include "demo/sync_codes.h"
#include "demo/sync_events.h"
#include "tests/support/scene_fixture.h"

using namespace zuzor;

namespace {

struct SceneInterplay : ::testing::Test {
    SceneFixture scene;
    void SetUp() override {
        REQUIRE_GL(scene.gl);
        scene.init();
        s().showVoxels = false;
    }
    DemoState& s() { return *scene.state; }
    void event(uint8_t code) { onSyncEvent(s(), scene.hooks, code); }

    // The effects of one frame as the frame loop orders them, from a fresh sequence.
    std::vector<uint8_t> drawEffects(int32_t t) {
        RandomSequence fresh;
        return drawEffects(t, fresh);
    }
    std::vector<uint8_t> drawEffects(int32_t t, RandomSequence& random) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        if (s().showTower) {
            s().ringTower.bindArrays();
            s().ringTower.draw(s().camera, s().towerSettings(), t);
        }
        if (s().showGrid) s().blobGrid.draw();
        if (s().showWarp)
            s().warpScene.draw(s().camera, s().ringTower, s().towerSettings(), t, random);
        return scene.gl.readPixels();
    }
};

TEST_F(SceneInterplay, SwarmIsSeenThroughTheTowerCameraOnlyWhileTheGridIsOff) {
    runTick(s(), scene.hooks);  // the grid's squares have no size after the first tick
    event(Z04);
    auto warpAlone = drawEffects(30);

    event(Z02);  // the tower on, with no copies yet: it draws nothing but leaves its camera
    auto throughTower = drawEffects(30);
    EXPECT_NE(throughTower, warpAlone);

    event(Z03);  // the grid puts the identity back before the swarm
    auto throughGrid = drawEffects(30);
    EXPECT_EQ(throughGrid, warpAlone);
}

TEST_F(SceneInterplay, SwarmCarriesTheTowerCameraIntoTheModelview) {
    event(Z02);
    event(Z04);
    drawEffects(12);
    GLdouble got[16], want[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, got);
    glLoadIdentity();
    gluLookAt(0, 30, -90, 0, 0, 0, 0, 1, 0);
    glRotatef(12.0f, 0, 0, 1);
    glTranslatef(-10, -5, -30);
    glGetDoublev(GL_MODELVIEW_MATRIX, want);
    for (int e = 0; e < 16; ++e) EXPECT_NEAR(got[e], want[e], 1e-5);
}

TEST_F(SceneInterplay, GridResetsTheModelviewToTheIdentity) {
    event(Z02);
    event(Z03);
    drawEffects(12);
    GLdouble modelview[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    for (int e = 0; e < 16; ++e) EXPECT_EQ(modelview[e], e % 5 == 0 ? 1.0 : 0.0);
}

TEST_F(SceneInterplay, FirstSwarmSquareOfTheRunTakesTheFirstThreeDraws) {
    // Feedback mode reports every drawn polygon with its colour, in drawing order. At tick
    // 60 the first row has an ordinary 60-degree view, so the first square is on screen.
    std::vector<GLfloat> feedback(400000);
    glFeedbackBuffer(GLsizei(feedback.size()), GL_3D_COLOR, feedback.data());
    glRenderMode(GL_FEEDBACK);
    glLoadIdentity();
    s().warpScene.draw(s().camera, s().ringTower, s().towerSettings(), 60, s().random);
    GLint written = glRenderMode(GL_RENDER);
    ASSERT_GT(written, 0);
    ASSERT_EQ(feedback[0], GLfloat(GL_POLYGON_TOKEN));
    // Token, vertex count, then x, y, z and r, g, b, a of the first vertex.
    EXPECT_NEAR(feedback[5] * 255, 190, 0.01);
    EXPECT_NEAR(feedback[6] * 255, 35, 0.01);
    EXPECT_NEAR(feedback[7] * 255, 41, 0.01);
    EXPECT_NEAR(feedback[8] * 255, 240, 0.01);
}

TEST_F(SceneInterplay, ReseedAfterADrawnFrameGetsLaterValues) {
    event(Z04);
    drawEffects(5, s().random);
    RandomSequence afterFrame = s().random;
    int32_t expected[4];
    for (int32_t& value : expected) value = afterFrame.next() % 50;
    event(Z1A);
    EXPECT_EQ(s().blobGrid.centre1[0], float(expected[0]));
    EXPECT_EQ(s().blobGrid.centre1[1], float(expected[1]));
    EXPECT_EQ(s().blobGrid.centre2[0], float(expected[2]));
    EXPECT_EQ(s().blobGrid.centre2[1], float(expected[3]));
    // Not the centres a reseed at the start of the run would give (41, 17, 34, 0).
    EXPECT_FALSE(expected[0] == 41 && expected[1] == 17 && expected[2] == 34 && expected[3] == 0);
}

TEST_F(SceneInterplay, AColourClearAfterTheEffectsLeavesOnlyTheirState) {
    // What the voxel field's first step does to the effects drawn before it.
    for (uint8_t code : {Z02, Z03, Z04, Z1E}) event(code);
    for (int i = 0; i < 7; ++i) event(Z18);
    runTick(s(), scene.hooks);
    runTick(s(), scene.hooks);
    drawEffects(2);
    glClear(GL_COLOR_BUFFER_BIT);
    auto pixels = scene.gl.readPixels();
    for (size_t p = 0; p < pixels.size(); p += 4) ASSERT_EQ(pixels[p + 1], 255);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));  // the lit pass's light stays on
    GLint shadeModel = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shadeModel);
    EXPECT_EQ(shadeModel, GL_FLAT);
}

}  // namespace
