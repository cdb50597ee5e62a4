// The flash panels: the decay of the pulses, where each panel lands, how it blends with
// the scene beneath, and the GL state the draw leaves.
#include "overlays/flash_panels.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "tests/support/scene_fixture.h"

using namespace zuzor;

namespace {

FlashPanels initialised() {
    FlashPanels panels{};
    panels.init();
    return panels;
}

TEST(FlashPanelsDecay, TenSlowStepsEndJustBelowZero) {
    FlashPanels panels = initialised();
    panels.pulse[3] = 1.0f;
    for (int step = 1; step <= 9; ++step) {
        panels.update();
        EXPECT_NEAR(panels.pulse[3], 1.0 - 0.1 * step, 1e-6) << "step " << step;
        EXPECT_GT(panels.pulse[3], 0.0f);
    }
    panels.update();
    EXPECT_LT(panels.pulse[3], 0.0f);
    EXPECT_NEAR(panels.pulse[3], -7.3e-8, 0.1e-8);
    // Below zero it is left alone from now on.
    float settled = panels.pulse[3];
    panels.update();
    EXPECT_EQ(panels.pulse[3], settled);
    // The other panels were never lit and stay at zero.
    EXPECT_EQ(panels.pulse[0], 0.0f);
    EXPECT_EQ(panels.pulse[1], 0.0f);
    EXPECT_EQ(panels.pulse[2], 0.0f);
}

TEST(FlashPanelsDecay, EachStepIsDoneInDoubleAndStoredAsFloat) {
    FlashPanels panels = initialised();
    panels.pulse[0] = 1.0f;
    float expected = 1.0f;
    for (int step = 0; step < 10; ++step) {
        panels.update();
        expected = float(double(expected) - 0.1);
        ASSERT_EQ(panels.pulse[0], expected) << "step " << step;
    }
}

TEST(FlashPanelsDecay, FastDecayReachesExactlyZeroInTwoSteps) {
    FlashPanels panels = initialised();
    panels.fastDecay = true;
    panels.pulse[1] = 1.0f;
    panels.update();
    EXPECT_EQ(panels.pulse[1], 0.5f);
    panels.update();
    EXPECT_EQ(panels.pulse[1], 0.0f);
    panels.update();
    EXPECT_EQ(panels.pulse[1], 0.0f);
}

TEST(FlashPanelsDecay, SwitchingModesMidwayCanLeaveANegativePulse) {
    FlashPanels panels = initialised();
    panels.pulse[2] = 1.0f;
    for (int step = 0; step < 7; ++step) panels.update();
    EXPECT_NEAR(panels.pulse[2], 0.3, 1e-6);
    panels.fastDecay = true;
    panels.update();
    EXPECT_NEAR(panels.pulse[2], -0.2, 1e-6);
    float settled = panels.pulse[2];
    panels.fastDecay = false;
    panels.update();
    EXPECT_EQ(panels.pulse[2], settled);
}

TEST(FlashPanelsDecay, PulsesAtOrBelowZeroAreLeftAlone) {
    FlashPanels panels = initialised();
    panels.pulse[0] = 0.0f;
    panels.pulse[1] = -0.2f;
    panels.pulse[2] = 0.05f;
    panels.update();
    EXPECT_EQ(panels.pulse[0], 0.0f);
    EXPECT_EQ(panels.pulse[1], -0.2f);
    EXPECT_EQ(panels.pulse[2], float(double(0.05f) - 0.1));
}

TEST(FlashPanelsDecay, InitSetsTheSquareAndClearsThePulses) {
    FlashPanels panels;
    std::memset(static_cast<void*>(&panels), 0x7f, sizeof panels);
    panels.init();
    const float square[8] = {0, 0, 5, 0, 5, 5, 0, 5};
    EXPECT_EQ(0, std::memcmp(panels.quad, square, sizeof square));
    for (float p : panels.pulse) EXPECT_EQ(p, 0.0f);
    EXPECT_FALSE(panels.fastDecay);
}

// Colour bytes of each panel as the GL turns the float colours into 8 bits.
struct Colour {
    double r, g, b;
};
const Colour panelColour[4] = {{0.1, 0.5, 0.4}, {0.0, 0.1, 0.4}, {0.6, 0.3, 0.3}, {1.0, 0.3, 0.4}};
// A pixel inside each panel's quarter: upper left, upper right, lower left, lower right.
const int panelPixel[4][2] = {{200, 450}, {600, 450}, {200, 150}, {600, 150}};

void expectPixel(const OffscreenGl& gl, int x, int y, Colour c, const char* what) {
    OffscreenGl::Rgba p = gl.pixel(x, y);
    EXPECT_NEAR(p.r, c.r * 255, 1.6) << what << " at " << x << "," << y;
    EXPECT_NEAR(p.g, c.g * 255, 1.6) << what << " at " << x << "," << y;
    EXPECT_NEAR(p.b, c.b * 255, 1.6) << what << " at " << x << "," << y;
}

void clearTo(float r, float g, float b) {
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

void drawPanels(const FlashPanels& panels) {
    panels.bindVertices();
    panels.draw();
}

TEST(FlashPanelsPicture, FullPulseShowsExactlyThePanelColourOverAnyBackground) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    FlashPanels& panels = scene.state->flashPanels;
    for (float& p : panels.pulse) p = 1.0f;
    const float backgrounds[3][3] = {{1, 1, 1}, {0, 0, 0}, {0.2f, 0.9f, 0.5f}};
    for (const auto& bg : backgrounds) {
        clearTo(bg[0], bg[1], bg[2]);
        drawPanels(panels);
        for (int n = 0; n < 4; ++n)
            expectPixel(scene.gl, panelPixel[n][0], panelPixel[n][1], panelColour[n], "panel");
    }
    // And over the running scene: the voxel field beneath, drawn by the frame itself.
    drawFrame(*scene.state);
    for (int n = 0; n < 4; ++n)
        expectPixel(scene.gl, panelPixel[n][0], panelPixel[n][1], panelColour[n], "in frame");
}

// The panel's colour goes on at full strength; the scene beneath is scaled by 1 - pulse.
TEST(FlashPanelsPicture, TheSceneShowsThroughMoreWithEveryTick) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    FlashPanels& panels = scene.state->flashPanels;
    for (float& p : panels.pulse) p = 1.0f;
    const double bg[3] = {0.5, 0.4, 0.2};
    // colourShare 0 once the panel is gone; channels saturate at 1.
    auto expectMix = [&](double colourShare, double sceneShare, const char* what) {
        clearTo(float(bg[0]), float(bg[1]), float(bg[2]));
        drawPanels(panels);
        for (int n = 0; n < 4; ++n) {
            Colour c = panelColour[n];
            Colour mixed{std::fmin(1.0, colourShare * c.r + sceneShare * bg[0]),
                         std::fmin(1.0, colourShare * c.g + sceneShare * bg[1]),
                         std::fmin(1.0, colourShare * c.b + sceneShare * bg[2])};
            expectPixel(scene.gl, panelPixel[n][0], panelPixel[n][1], mixed, what);
        }
    };
    panels.update();  // pulse 0.9
    expectMix(1, 0.1, "after one tick");
    for (int step = 0; step < 8; ++step) panels.update();  // pulse 0.1
    expectMix(1, 0.9, "after nine ticks");
    panels.update();  // just below zero: gone
    expectMix(0, 1, "after ten ticks");
}

TEST(FlashPanelsPicture, FourLitPanelsTileTheScreenWithoutGapOrOverlap) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    FlashPanels& panels = scene.state->flashPanels;
    // At half strength over black a pixel shows the colour once; a gap stays black and an
    // overlap adds the colour a second time.
    for (float& p : panels.pulse) p = 0.5f;
    clearTo(0, 0, 0);
    drawPanels(panels);
    std::vector<uint8_t> pixels = scene.gl.readPixels();
    int wrong = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            int n = (y >= 300 ? 0 : 2) + (x >= 400 ? 1 : 0);
            const uint8_t* p = &pixels[(size_t(y) * 800 + x) * 4];
            Colour c = panelColour[n];
            if (std::abs(p[0] - c.r * 255) > 1.6 || std::abs(p[1] - c.g * 255) > 1.6 ||
                std::abs(p[2] - c.b * 255) > 1.6) {
                if (++wrong < 5) ADD_FAILURE() << "pixel " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(FlashPanelsPicture, EachPanelKeepsItsQuarterWhenTheOthersAreDark) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    FlashPanels& panels = scene.state->flashPanels;
    for (int lit = 0; lit < 4; ++lit) {
        for (int n = 0; n < 4; ++n) panels.pulse[n] = n == lit ? 1.0f : (n % 2 ? 0.0f : -0.2f);
        clearTo(1, 1, 1);
        drawPanels(panels);
        for (int n = 0; n < 4; ++n) {
            Colour expected = n == lit ? panelColour[n] : Colour{1, 1, 1};
            expectPixel(scene.gl, panelPixel[n][0], panelPixel[n][1], expected, "quarter");
        }
    }
}

TEST(FlashPanelsDraw, RestoresTheStandingStateWhetherOrNotAPanelIsLit) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    FlashPanels& panels = scene.state->flashPanels;
    glLoadIdentity();
    glTranslatef(3, 4, 5);
    GLfloat projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (float pulse : {0.0f, 1.0f}) {
        for (float& p : panels.pulse) p = pulse;
        glEnable(GL_BLEND);
        clearTo(1, 1, 1);
        drawPanels(panels);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        GLfloat projectionAfter[16], modelviewAfter[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelviewAfter);
        EXPECT_EQ(0, std::memcmp(projection, projectionAfter, sizeof projection));
        EXPECT_EQ(0, std::memcmp(modelview, modelviewAfter, sizeof modelview));
        GLint mode = 0, depth = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
    }
    // With no pulse above zero nothing reaches the screen.
    for (float& p : panels.pulse) p = 0.0f;
    clearTo(1, 1, 1);
    drawPanels(panels);
    for (int n = 0; n < 4; ++n)
        expectPixel(scene.gl, panelPixel[n][0], panelPixel[n][1], {1, 1, 1}, "unlit");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(FlashPanelsDraw, BindVerticesPointsTheArrayAtTheSquare) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    const FlashPanels& panels = scene.state->flashPanels;
    drawFrame(*scene.state);  // the voxel field points the array at its lattice first
    panels.bindVertices();
    GLvoid* pointer = nullptr;
    glGetPointerv(GL_VERTEX_ARRAY_POINTER, &pointer);
    EXPECT_EQ(pointer, static_cast<const void*>(panels.quad));
    GLint size = 0, stride = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_SIZE, &size);
    glGetIntegerv(GL_VERTEX_ARRAY_STRIDE, &stride);
    EXPECT_EQ(size, 2);
    EXPECT_EQ(stride, 0);
}

}  // namespace
