// The closing layers: the fade layer, the logo square and the black side bars, on their
// own and at the end of a full frame.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "overlays/side_bars.h"
#include "tests/support/scene_fixture.h"

using namespace zuzor;

namespace {

bool isBlack(const uint8_t* p) {
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}
bool isWhite(const uint8_t* p) {
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
}

const uint8_t* at(const std::vector<uint8_t>& pixels, int x, int y) {
    return &pixels[(size_t(y) * 800 + x) * 4];
}

// A busy frame: the voxel field, all four panels lit and the logo on top.
void drawBusyFrame(SceneFixture& scene) {
    for (float& p : scene.state->flashPanels.pulse) p = 1.0f;
    scene.state->logoVisible = true;
    drawFrame(*scene.state);
}

TEST(SideBars, OuterTenthsArePureBlackOverTheFullHeightWhateverIsBeneath) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    for (bool blending : {false, true}) {
        drawBusyFrame(scene);
        // Draw the bars once more over the finished frame with either blending switch.
        if (blending)
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
        scene.state->sideBars.draw();
        std::vector<uint8_t> pixels = scene.gl.readPixels();
        int notBlack = 0;
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 80; ++x) notBlack += !isBlack(at(pixels, x, y));
            for (int x = 720; x < 800; ++x) notBlack += !isBlack(at(pixels, x, y));
        }
        EXPECT_EQ(notBlack, 0) << "blending " << blending;
    }
}

TEST(SideBars, EachBarIsExactlyOneTenthWide) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    scene.state->showVoxels = false;  // a plain white frame with only the bars on it
    drawFrame(*scene.state);
    std::vector<uint8_t> pixels = scene.gl.readPixels();
    for (int y : {0, 299, 599}) {
        EXPECT_TRUE(isBlack(at(pixels, 79, y)));
        EXPECT_TRUE(isWhite(at(pixels, 80, y)));
        EXPECT_TRUE(isWhite(at(pixels, 719, y)));
        EXPECT_TRUE(isBlack(at(pixels, 720, y)));
    }
}

TEST(SideBars, LeaveDepthTestingOnAndTheMatricesAsFound) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    glTranslatef(1, 2, 3);
    GLfloat projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glDisable(GL_DEPTH_TEST);
    scene.state->sideBars.draw();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLfloat projectionAfter[16], modelviewAfter[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelviewAfter);
    EXPECT_EQ(0, std::memcmp(projection, projectionAfter, sizeof projection));
    EXPECT_EQ(0, std::memcmp(modelview, modelviewAfter, sizeof modelview));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(FadeLayer, SwitchesDepthTestingOffAndDrawsNothing) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    glClear(GL_COLOR_BUFFER_BIT);
    scene.state->fadeLayer.draw();
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    std::vector<uint8_t> pixels = scene.gl.readPixels();
    for (int y = 0; y < 600; y += 7)
        for (int x = 0; x < 800; x += 7) ASSERT_TRUE(isWhite(at(pixels, x, y)));
}

TEST(Logo, CoversTheMiddleFortyPercentOpaqueOverEverything) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    drawBusyFrame(scene);  // no image loaded: texture 0 gives a plain white square
    std::vector<uint8_t> pixels = scene.gl.readPixels();
    int notWhite = 0;
    for (int y = 180; y < 420; ++y)
        for (int x = 240; x < 560; ++x) notWhite += !isWhite(at(pixels, x, y));
    EXPECT_EQ(notWhite, 0);
    // Just outside the square the flash panels show.
    for (auto [x, y] : {std::pair{239, 300}, {560, 300}, {400, 179}, {400, 420}})
        EXPECT_FALSE(isWhite(at(pixels, x, y))) << x << "," << y;
    // The bars do not reach the logo.
    EXPECT_FALSE(isBlack(at(pixels, 80, 300)));
    EXPECT_FALSE(isBlack(at(pixels, 719, 300)));
}

TEST(Logo, LeavesBlendingOnAndTexturingOff) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    GLfloat projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glDisable(GL_BLEND);
    drawLogo(scene.state->logo);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat projectionAfter[16], modelviewAfter[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelviewAfter);
    EXPECT_EQ(0, std::memcmp(projection, projectionAfter, sizeof projection));
    EXPECT_EQ(0, std::memcmp(modelview, modelviewAfter, sizeof modelview));

    // And at the end of a whole frame that drew it.
    scene.state->logoVisible = true;
    drawFrame(*scene.state);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(Logo, TransparentImageStillShowsOpaqueAndUpright) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    // A 2x2 image, fully transparent: red along the bottom row, blue along the top.
    const uint8_t image[16] = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 0, 0, 0, 255, 0};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, image);
    scene.state->logo.texture = texture;

    drawBusyFrame(scene);
    OffscreenGl::Rgba bottom = scene.gl.pixel(400, 200);
    OffscreenGl::Rgba top = scene.gl.pixel(400, 400);
    EXPECT_EQ(bottom.r, 255);
    EXPECT_EQ(bottom.g, 0);
    EXPECT_EQ(bottom.b, 0);
    EXPECT_EQ(top.r, 0);
    EXPECT_EQ(top.g, 0);
    EXPECT_EQ(top.b, 255);
}

TEST(ClosingLayers, WithoutTheLogoFlagTheCentreShowsTheScene) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    scene.state->flashPanels.pulse[2] = 1.0f;  // lower left
    drawFrame(*scene.state);
    OffscreenGl::Rgba lowerLeftOfCentre = scene.gl.pixel(390, 290);
    EXPECT_NEAR(lowerLeftOfCentre.r, 0.6 * 255, 1.6);
    EXPECT_NEAR(lowerLeftOfCentre.g, 0.3 * 255, 1.6);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

}  // namespace
