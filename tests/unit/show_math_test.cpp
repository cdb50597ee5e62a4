// The random sequence, the numeric conventions and the overlay bracket.
#include "base/show_math.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "base/random_sequence.h"
#include "overlays/overlay_2d.h"
#include "tests/support/gl_context.h"

using namespace zuzor;

namespace {

TEST(RandomSequence, FirstValuesOfTheShow) {
    RandomSequence random;
    const int32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724};
    for (int32_t value : expected) EXPECT_EQ(random.next(), value);
}

TEST(RandomSequence, StaysWithinFifteenBits) {
    RandomSequence random;
    for (int i = 0; i < 100000; ++i) {
        int32_t value = random.next();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}

TEST(Conversions, NinetyDegreesUseThreePointOneFour) {
    EXPECT_DOUBLE_EQ(degToRad(90), 1.57);
    EXPECT_NEAR(std::sin(degToRad(90)), 0.99999968, 1e-8);
    EXPECT_LT(std::sin(degToRad(90)), 1.0);
}

TEST(Conversions, WholeTickTruncatesTowardZero) {
    EXPECT_EQ(wholeTick(0.999f), 0);
    EXPECT_EQ(wholeTick(-0.999f), 0);
    EXPECT_EQ(wholeTick(179.9f), 179);
    EXPECT_EQ(wholeTick(-2.7f), -2);
}

void readMatrices(GLfloat projection[16], GLfloat modelview[16]) {
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
}

TEST(OverlayBracket, RestoresBothMatricesAndTheMode) {
    OffscreenGl gl;
    REQUIRE_GL(gl);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    GLfloat projection[16], modelview[16];
    readMatrices(projection, modelview);

    beginOverlay2D(-5, 5, -5, 5);
    endOverlay2D();

    GLfloat projectionAfter[16], modelviewAfter[16];
    readMatrices(projectionAfter, modelviewAfter);
    EXPECT_EQ(0, std::memcmp(projection, projectionAfter, sizeof projection));
    EXPECT_EQ(0, std::memcmp(modelview, modelviewAfter, sizeof modelview));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST(OverlayBracket, HalfSquareCoversTheLowerLeftQuarter) {
    OffscreenGl gl;
    REQUIRE_GL(gl);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    beginOverlay2D(0, 10, 0, 10);
    glColor3f(0, 0, 0);
    glBegin(GL_QUADS);
    glVertex2f(0, 0);
    glVertex2f(5, 0);
    glVertex2f(5, 5);
    glVertex2f(0, 5);
    glEnd();
    endOverlay2D();
    EXPECT_EQ(gl.pixel(0, 0).r, 0);
    EXPECT_EQ(gl.pixel(399, 299).r, 0);
    EXPECT_EQ(gl.pixel(400, 299).r, 255);
    EXPECT_EQ(gl.pixel(399, 300).r, 255);
}

}  // namespace
