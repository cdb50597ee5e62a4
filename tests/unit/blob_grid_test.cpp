// The blob grid: the field trailing its sources, the reseed, and what its squares look like.
#include "effects/blob_grid.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "base/random_sequence.h"
#include "tests/support/scene_test.h"

using namespace zuzor;

namespace {

TEST(BlobGridField, FirstTickGivesZerosAndTheFieldTrailsTheSourcesByATick) {
    BlobGrid grid{};
    grid.init();
    EXPECT_EQ(grid.centre1[0], 25.0f);
    EXPECT_EQ(grid.centre2[1], 20.0f);
    grid.update(1, 181);
    grid.settleField();
    for (auto& column : grid.values)
        for (float v : column) ASSERT_EQ(v, 0.0f);
    EXPECT_EQ(grid.cellX, 50);
    EXPECT_EQ(grid.cellY, 50);
    EXPECT_NE(grid.point1[0], 0.0f);  // the points have moved already

    BlobGrid expected = grid;  // the points and strengths of tick 1
    expected.computeField(expected.sources());
    grid.update(2, 182);
    grid.settleField();
    for (int x = 0; x < 50; ++x)
        for (int y = 0; y < 50; ++y) ASSERT_EQ(grid.values[x][y], expected.values[x][y]);
}

TEST(BlobGridField, ValuesStayWithinFourOverTheShow) {
    BlobGrid grid{};
    grid.init();
    for (int t = 1; t <= 2000; ++t) {
        grid.update(t, t + 180);
        grid.settleField();
        for (auto& column : grid.values)
            for (float v : column) {
                ASSERT_LE(v, 4.0f);
                ASSERT_GE(v, -4.0f);
            }
    }
}

TEST(BlobGridField, SourcesFollowTheirPaths) {
    BlobGrid grid{};
    grid.init();
    grid.movePoints(6, 186);
    EXPECT_FLOAT_EQ(grid.point1[0], float(25 - 10 * std::cos(90 * 3.14 / 180)));
    EXPECT_FLOAT_EQ(grid.point1[1], float(25 + 10 * std::sin(84 * 3.14 / 180)));
    EXPECT_FLOAT_EQ(grid.point2[0], float(20 - 10 * std::cos(2790 * 3.14 / 180)));
    EXPECT_FLOAT_EQ(grid.strength1, float(10 * std::cos(6 * 3.14 / 180)));
    EXPECT_FLOAT_EQ(grid.strength2, float(10 * std::sin(186 * 3.14 / 180)));
}

TEST(BlobGridField, ReseedTakesFourDrawsOfTheSequence) {
    BlobGrid grid{};
    grid.init();
    RandomSequence random;
    grid.reseed(random);
    // 41, 18467, 6334, 26500 modulo 50.
    EXPECT_EQ(grid.centre1[0], 41.0f);
    EXPECT_EQ(grid.centre1[1], 17.0f);
    EXPECT_EQ(grid.centre2[0], 34.0f);
    EXPECT_EQ(grid.centre2[1], 0.0f);
    EXPECT_EQ(random.next(), 19169);
}

struct BlobGridDraw : SceneTest {
    BlobGrid& grid() { return scene.state->blobGrid; }
    // The centre of cell (x, y) on the 800 x 600 screen.
    OffscreenGl::Rgba cellCentre(int x, int y) {
        return scene.gl.pixel(int((x + 0.5) * 16), int((y + 0.5) * 12));
    }
};

TEST_F(BlobGridDraw, AfterTheFirstTickEverySquareHasNoSize) {
    grid().update(1, 181);
    grid().draw();
    auto pixels = scene.gl.readPixels();
    for (size_t p = 0; p < pixels.size(); p += 4) {
        ASSERT_EQ(pixels[p], 255);
        ASSERT_EQ(pixels[p + 1], 255);
        ASSERT_EQ(pixels[p + 2], 255);
    }
}

TEST_F(BlobGridDraw, NegativeValuesArePureRedAndPositiveOnesOrange) {
    grid().values[10][10] = -1.0f;
    grid().values[20][20] = -0.5f;
    grid().values[30][30] = 1.0f;
    grid().values[40][40] = 2.0f;
    grid().draw();
    auto red = cellCentre(10, 10);
    EXPECT_EQ(red.r, 255);
    EXPECT_EQ(red.g, 0);
    EXPECT_EQ(red.b, 0);
    auto darkRed = cellCentre(20, 20);
    EXPECT_NEAR(darkRed.r, 64, 1);
    EXPECT_EQ(darkRed.g, 0);
    EXPECT_EQ(darkRed.b, 0);
    auto orange = cellCentre(30, 30);
    EXPECT_EQ(orange.r, 255);
    EXPECT_NEAR(orange.g, 128, 1);
    EXPECT_NEAR(orange.b, 51, 1);
    auto yellow = cellCentre(40, 40);
    EXPECT_EQ(yellow.r, 255);
    EXPECT_EQ(yellow.g, 255);
    EXPECT_NEAR(yellow.b, 102, 1);
    auto empty = cellCentre(5, 40);
    EXPECT_EQ(empty.g, 255);
}

TEST_F(BlobGridDraw, ASquareOfSideFourCoversItsNeighbours) {
    grid().values[25][25] = 2.0f;  // a full turn, so the square stays axis-aligned
    grid().draw();
    EXPECT_EQ(cellCentre(26, 26).g, 255);  // yellow
    EXPECT_NEAR(cellCentre(26, 26).b, 102, 1);
    EXPECT_NEAR(cellCentre(23, 23).b, 102, 1);
    EXPECT_EQ(cellCentre(28, 25).b, 255);  // beyond its reach the background shows
}

TEST_F(BlobGridDraw, LeavesTheIdentityAndTheProjectionAsFound) {
    glTranslatef(3, 4, 5);
    GLdouble projectionBefore[16], projection[16], modelview[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projectionBefore);
    grid().update(1, 181);
    grid().update(2, 182);
    grid().draw();
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    for (int e = 0; e < 16; ++e) {
        EXPECT_EQ(projection[e], projectionBefore[e]);
        EXPECT_EQ(modelview[e], e % 5 == 0 ? 1.0 : 0.0);
    }
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(grid().cellX, 50);
    EXPECT_EQ(grid().cellY, 50);
}

}  // namespace
