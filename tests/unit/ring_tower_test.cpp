// The ring tower: its mesh, the numbers of its copies, the pulse and the state it leaves.
#include "effects/ring_tower.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include "demo/demo_state.h"
#include "tests/support/scene_test.h"

using namespace zuzor;

namespace {

TEST(RingMesh, StripsCloseOnTheirFirstPairAndNormalsStayZero) {
    auto state = std::make_unique<DemoState>();
    state->towerFlash = true;
    state->ringTower.init(state->towerFlash);
    EXPECT_FALSE(state->towerFlash);
    const RingMesh& mesh = state->ringTower.mesh;
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(mesh.vertices[20 * 3 + c], mesh.vertices[c]);
        EXPECT_EQ(mesh.vertices[42 * 3 + c], mesh.vertices[22 * 3 + c]);
    }
    for (float n : mesh.normals) EXPECT_EQ(n, 0.0f);
}

TEST(RingMesh, RingsUseThreePointOneFourAndShareTheInnerFloats) {
    RingMesh mesh{};
    mesh.buildRings();
    // Point 9 lies at 5.652 radians, short of a regular decagon's 5.655.
    EXPECT_FLOAT_EQ(mesh.ringPoints[9][0], float(5.0 * std::cos(5.652)));
    EXPECT_FLOAT_EQ(mesh.ringPoints[9][2], float(5.0 * std::sin(5.652)));
    EXPECT_EQ(mesh.ringPoints[10][0], 6.0f);
    EXPECT_EQ(mesh.ringPoints[10][1], 4.0f);
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(mesh.ringPoints[20 + k][0], mesh.ringPoints[k][0]);
        EXPECT_EQ(mesh.ringPoints[20 + k][1], 4.0f);
        EXPECT_EQ(mesh.ringPoints[20 + k][2], mesh.ringPoints[k][2]);
        EXPECT_EQ(mesh.ringPoints[k][1], 0.0f);
    }
}

TEST(RingTowerNumbers, CopyScalesAndColoursAtTickZero) {
    const double scales[] = {4.7, 4.033, 3.250, 2.400, 1.550, 0.767};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(RingTower::copyScale(i, 0), scales[i], 0.0005);
    EXPECT_NEAR(RingTower::copyScale(6, 0), 0.1000006, 1e-7);
    RingTower::Colour outer = RingTower::copyColour(0, 0);
    EXPECT_FLOAT_EQ(outer.red, 0.2f);
    EXPECT_FLOAT_EQ(outer.green, 0.1f);
    EXPECT_FLOAT_EQ(outer.blue, 0.4f);
    RingTower::Colour inner = RingTower::copyColour(6, 0);
    EXPECT_FLOAT_EQ(inner.red, 1.4f);  // the GL clamps it to 1
    EXPECT_FLOAT_EQ(inner.green, 0.7f);
    EXPECT_FLOAT_EQ(inner.blue, 0.4f);
}

TEST(RingTowerNumbers, PulseDecaysByPointSevenAndNeverGoesNegative) {
    RingTower tower{};
    tower.pulse = 20.0f;
    const float expected[] = {14.0f, 9.8f, 6.86f, 4.802f, 3.3614f};
    for (float value : expected) {
        tower.update();
        EXPECT_NEAR(tower.pulse, value, 1e-5);
    }
    for (int i = 0; i < 1000; ++i) {
        tower.update();
        ASSERT_GE(tower.pulse, 0.0f);
    }
}

struct RingTowerDraw : SceneTest {
    void drawTower(int copies, int t = 0, bool alt = false) {
        s().ringTower.bindArrays();
        s().ringTower.draw(s().camera, {copies, s().towerFlash, alt}, t);
    }
    int nonWhitePixels() {
        auto pixels = scene.gl.readPixels();
        int count = 0;
        for (size_t p = 0; p < pixels.size(); p += 4)
            if (pixels[p] != 255 || pixels[p + 1] != 255 || pixels[p + 2] != 255) ++count;
        return count;
    }
};

TEST_F(RingTowerDraw, LeavesItsCameraOnTheModelview) {
    for (bool alt : {false, true}) {
        glLoadIdentity();
        drawTower(3, 17, alt);
        GLdouble got[16], want[16];
        glGetDoublev(GL_MODELVIEW_MATRIX, got);
        glPushMatrix();
        glLoadIdentity();
        if (alt)
            gluLookAt(0, 20, -100, 0, 0, 0, 0, 1, 0);
        else
            gluLookAt(0, 30, -90, 0, 0, 0, 0, 1, 0);
        glGetDoublev(GL_MODELVIEW_MATRIX, want);
        glPopMatrix();
        for (int e = 0; e < 16; ++e) EXPECT_NEAR(got[e], want[e], 1e-5) << "alt " << alt;
    }
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
}

TEST_F(RingTowerDraw, LitPassLeavesLightZeroOnWithFlatShading) {
    s().towerFlash = true;
    drawTower(0);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    GLint shadeModel = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shadeModel);
    EXPECT_EQ(shadeModel, GL_FLAT);
    // The light was placed in scene coordinates, under the camera.
    GLfloat position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    GLdouble modelview[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    const double scene[4] = {0, 20, -60, 1};
    for (int row = 0; row < 4; ++row) {
        double eye = 0;
        for (int col = 0; col < 4; ++col) eye += modelview[col * 4 + row] * scene[col];
        EXPECT_NEAR(position[row], eye, 1e-3);
    }
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[3], 0.3f);
}

TEST_F(RingTowerDraw, NoCopiesBeforeTheFirstStepButTheLitColumnStillShows) {
    drawTower(0);
    EXPECT_EQ(nonWhitePixels(), 0);
    s().towerFlash = true;
    glLoadIdentity();
    drawTower(0);
    EXPECT_GT(nonWhitePixels(), 1000);
}

TEST_F(RingTowerDraw, InnermostCopyIsPaintedOverTheOuterOnes) {
    drawTower(7);
    // The axis of the smallest copy, half-way up, shows its colour: red clamped to 1,
    // green 0.7, blue 0.4.
    GLdouble modelview[16], projection[16], x, y, z;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(0, -10 + 0.1 * 20, -50, modelview, projection, viewport, &x, &y, &z);
    auto centre = scene.gl.pixel(int(x), int(y));
    EXPECT_EQ(centre.r, 255);
    EXPECT_NEAR(centre.g, 178, 1);
    EXPECT_NEAR(centre.b, 102, 1);
}

}  // namespace
