// When the colour buffer is cleared after the effects (as the voxel field does), the effects
// may skip their primitives: the state they leave behind must be exactly what full drawing
// leaves, and so must every pixel drawn after the clear.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "demo/demo_state.h"
#include "tests/support/scene_fixture.h"

using namespace zuzor;

namespace {

// Everything the effects leave behind that later drawing could see.
struct LeftState {
    GLfloat modelview[16], projection[16], colour[4], light[4];
    GLint shadeModel, matrixMode, blendSource, blendDestination, texture;
    GLboolean enabled[8];
    GLvoid *vertexPointer, *normalPointer;
    uint32_t sequence;
    int32_t cellX, cellY;

    static LeftState read(const DemoState& s, const RandomSequence& random) {
        LeftState left{};
        glGetFloatv(GL_MODELVIEW_MATRIX, left.modelview);
        glGetFloatv(GL_PROJECTION_MATRIX, left.projection);
        glGetFloatv(GL_CURRENT_COLOR, left.colour);
        glGetLightfv(GL_LIGHT0, GL_POSITION, left.light);
        glGetIntegerv(GL_SHADE_MODEL, &left.shadeModel);
        glGetIntegerv(GL_MATRIX_MODE, &left.matrixMode);
        glGetIntegerv(GL_BLEND_SRC, &left.blendSource);
        glGetIntegerv(GL_BLEND_DST, &left.blendDestination);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &left.texture);
        const GLenum switches[8] = {GL_DEPTH_TEST,   GL_BLEND,         GL_LIGHTING,
                                    GL_LIGHT0,       GL_TEXTURE_2D,    GL_NORMAL_ARRAY,
                                    GL_VERTEX_ARRAY, GL_COLOR_MATERIAL};
        for (int i = 0; i < 8; ++i) left.enabled[i] = glIsEnabled(switches[i]);
        glGetPointerv(GL_VERTEX_ARRAY_POINTER, &left.vertexPointer);
        glGetPointerv(GL_NORMAL_ARRAY_POINTER, &left.normalPointer);
        left.sequence = random.state();
        left.cellX = s.blobGrid.cellX;
        left.cellY = s.blobGrid.cellY;
        return left;
    }
};

void expectSame(const LeftState& got, const LeftState& want, const char* where) {
    for (int e = 0; e < 16; ++e) {
        EXPECT_EQ(got.modelview[e], want.modelview[e]) << where;
        EXPECT_EQ(got.projection[e], want.projection[e]) << where;
    }
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(got.colour[c], want.colour[c]) << where;
        EXPECT_EQ(got.light[c], want.light[c]) << where;
    }
    EXPECT_EQ(got.shadeModel, want.shadeModel) << where;
    EXPECT_EQ(got.matrixMode, want.matrixMode) << where;
    EXPECT_EQ(got.blendSource, want.blendSource) << where;
    EXPECT_EQ(got.blendDestination, want.blendDestination) << where;
    EXPECT_EQ(got.texture, want.texture) << where;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(got.enabled[i], want.enabled[i]) << where << " " << i;
    EXPECT_EQ(got.vertexPointer, want.vertexPointer) << where;
    EXPECT_EQ(got.normalPointer, want.normalPointer) << where;
    EXPECT_EQ(got.sequence, want.sequence) << where;
    EXPECT_EQ(got.cellX, want.cellX) << where;
    EXPECT_EQ(got.cellY, want.cellY) << where;
}

struct HiddenEffects : ::testing::Test {
    SceneFixture scene;
    void SetUp() override {
        REQUIRE_GL(scene.gl);
        scene.init();
    }
    DemoState& s() { return *scene.state; }

    // The effects as the frame loop draws them, then the clear, then drawing that goes
    // through the state they left: a few squares in the current colour under the current
    // matrices, as the voxel field's lattice would be.
    std::vector<uint8_t> frame(int32_t t, bool hidden, LeftState& left) {
        RandomSequence random;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        if (s().showTower) {
            s().ringTower.bindArrays();
            s().ringTower.draw(s().camera, s().towerSettings(), t, hidden);
        }
        if (s().showGrid) s().blobGrid.draw(hidden);
        if (s().showWarp)
            s().warpScene.draw(s().camera, s().ringTower, s().towerSettings(), t, random, hidden);
        glClear(GL_COLOR_BUFFER_BIT);
        left = LeftState::read(s(), random);
        glDisable(GL_DEPTH_TEST);
        for (int k = -5; k <= 5; ++k) {
            glBegin(GL_QUADS);
            glVertex3f(k * 4.0f - 1, -1, 0);
            glVertex3f(k * 4.0f + 1, -1, 0);
            glVertex3f(k * 4.0f + 1, 1, 0);
            glVertex3f(k * 4.0f - 1, 1, 0);
            glEnd();
        }
        glEnable(GL_DEPTH_TEST);
        return scene.gl.readPixels();
    }
};

TEST_F(HiddenEffects, LeaveTheSameStateAndPixelsAsFullDrawing) {
    s().towerCopies = 7;
    s().blobGrid.update(40, 220);
    s().blobGrid.update(41, 221);
    for (int combination = 1; combination < 32; ++combination) {
        s().showTower = combination & 1;
        s().showGrid = combination & 2;
        s().showWarp = combination & 4;
        s().towerFlash = combination & 8;
        s().towerCameraAlt = combination & 16;
        s().ringTower.pulse = combination % 3 == 0 ? 9.8f : 0.0f;
        s().warpScene.pulse = combination % 5 == 0 ? 1.5f : 0.0f;
        s().warpScene.depth = -60.0f;
        glShadeModel(GL_SMOOTH);
        glDisable(GL_LIGHT0);
        const int32_t t = 37 + combination * 101;
        LeftState drawn, hidden;
        auto expected = frame(t, false, drawn);
        glShadeModel(GL_SMOOTH);
        glDisable(GL_LIGHT0);
        auto got = frame(t, true, hidden);
        std::string where = "combination " + std::to_string(combination);
        expectSame(hidden, drawn, where.c_str());
        EXPECT_TRUE(got == expected) << where;
    }
}

}  // namespace
