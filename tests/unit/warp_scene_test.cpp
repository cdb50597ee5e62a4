// The warp scene: its pulses, its projections, its sprites and the state it leaves.
#include "effects/warp_scene.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "demo/demo_state.h"
#include "demo/sync_codes.h"
#include "demo/sync_events.h"
#include "tests/support/scene_test.h"

using namespace zuzor;

namespace {

TEST(WarpNumbers, AspectsAfterEventTwentyEight) {
    auto state = std::make_unique<DemoState>();
    RecordingHooks hooks;
    onSyncEvent(*state, hooks, Z1C);
    WarpScene& warp = state->warpScene;
    const double first[] = {0.3, 0.55, 0.8, 1.05, 1.3, 1.3};
    const double second[] = {2.3, 2.05, 1.8, 1.55, 1.3, 1.3};
    for (int step = 0; step < 6; ++step) {
        EXPECT_DOUBLE_EQ(WarpScene::halfRowAspect(warp.pulse, false), first[step]);
        EXPECT_DOUBLE_EQ(WarpScene::halfRowAspect(warp.pulse, true), second[step]);
        warp.update();
    }
    EXPECT_EQ(warp.pulse, 0.0f);
}

TEST(WarpNumbers, FieldOfViewGrowsWithTheRowSquareUnclamped) {
    EXPECT_EQ(WarpScene::halfRowFieldOfView(40, 0, 0.0f, false), 40.0);
    EXPECT_EQ(WarpScene::halfRowFieldOfView(40, 0, 0.0f, true), 40.0);
    EXPECT_EQ(WarpScene::halfRowFieldOfView(40, 99, 0.0f, false), 40.0 + 9801.0);
    EXPECT_EQ(WarpScene::halfRowFieldOfView(40, 99, 0.0f, true), 40.0 - 9801.0);
    EXPECT_EQ(WarpScene::halfRowFieldOfView(40, 3, 1.5f, false), 49.0 + 15.0);
    EXPECT_EQ(WarpScene::halfRowFieldOfView(40, 3, 1.5f, true), 31.0 - 15.0);
}

TEST(WarpNumbers, DepthAndRadiusAfterEventTwentyNine) {
    auto state = std::make_unique<DemoState>();
    RecordingHooks hooks;
    WarpScene& warp = state->warpScene;
    for (int i = 0; i < 5; ++i) warp.update();
    EXPECT_EQ(warp.depth, 50.0f);  // grows from the start of the run
    onSyncEvent(*state, hooks, Z1D);
    EXPECT_EQ(warp.depth, -100.0f);
    EXPECT_DOUBLE_EQ(warp.spriteRadius(), -38.0);
    warp.update();
    EXPECT_EQ(warp.depth, -90.0f);
    EXPECT_DOUBLE_EQ(warp.spriteRadius(), -34.0);
    for (int i = 0; i < 9; ++i) warp.update();
    EXPECT_EQ(warp.depth, 0.0f);
}

struct WarpDraw : SceneTest {};

TEST_F(WarpDraw, TakesSixThousandDrawsAFrameAndLeavesTheStatedState) {
    GLdouble projectionBefore[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projectionBefore);
    RandomSequence random;
    s().warpScene.draw(s().camera, s().ringTower, s().towerSettings(), 7, random);

    uint32_t expectedState = 1;
    for (int i = 0; i < 6000; ++i) expectedState = expectedState * 214013u + 2531011u;
    EXPECT_EQ(random.state(), expectedState);

    GLdouble projection[16], modelview[16], want[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    for (int e = 0; e < 16; ++e) EXPECT_EQ(projection[e], projectionBefore[e]);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(7.0f, 0, 0, 1);
    glTranslatef(-10, -5, -30);
    glGetDoublev(GL_MODELVIEW_MATRIX, want);
    glPopMatrix();
    for (int e = 0; e < 16; ++e) EXPECT_NEAR(modelview[e], want[e], 1e-6);

    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_ONE);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 0.3f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(WarpDraw, SpritesAreNeverHiddenByEarlierDrawing) {
    // A black screen whose depth buffer rejects everything depth-tested after it.
    glClearColor(0, 0, 0, 1);
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    s().warpScene.depth = -100.0f;  // right after event 29: radius -38
    s().warpScene.draw(s().camera, s().ringTower, s().towerSettings(), 0, s().random);
    // Sprite 0 sits 38 units left of the centre at z -100: white at alpha 0.3 over black.
    auto sprite = scene.gl.pixel(198, 300);
    EXPECT_NEAR(sprite.r, 77, 1);
    EXPECT_NEAR(sprite.g, 77, 1);
    EXPECT_NEAR(sprite.b, 77, 1);
    EXPECT_EQ(scene.gl.pixel(300, 300).r, 0);  // between sprites nothing was drawn
}

TEST_F(WarpDraw, BeforeEventTwentyNineTheSpritesAreBehindTheViewer) {
    s().warpScene.depth = 200.0f;
    glClearColor(0, 0, 0, 1);
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    s().warpScene.draw(s().camera, s().ringTower, s().towerSettings(), 0, s().random);
    auto pixels = scene.gl.readPixels();
    for (size_t p = 0; p < pixels.size(); p += 4) ASSERT_EQ(pixels[p], 0);
}

}  // namespace
