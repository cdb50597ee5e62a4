// The voxel field: the numbers that shape the lattice, the GL state its draw leaves, and
// the picture it makes over the white background.
#include "effects/voxel_field.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <set>

#include "tests/support/scene_fixture.h"

using namespace zuzor;

namespace {

struct Point {
    float x, y, z;
};

Point source(const VoxelField& field, int n) {
    const float* p = field.lattice.sources[n - 1];
    return {p[0], p[1], p[2]};
}

// Fields are large (about 450 kB); keep them off the stack.
std::unique_ptr<VoxelField> makeField() {
    auto field = std::make_unique<VoxelField>();
    field->init();
    return field;
}

TEST(VoxelFieldUpdate, InitPlacesTheSourcesAndTheEye) {
    auto field = makeField();
    Point p1 = source(*field, 1), p2 = source(*field, 2), p3 = source(*field, 3);
    EXPECT_EQ(p1.x, 10.0f);
    EXPECT_EQ(p1.y, 10.0f);
    EXPECT_EQ(p1.z, 10.0f);
    EXPECT_EQ(p2.x, 15.0f);
    EXPECT_EQ(p2.y, 15.0f);
    EXPECT_EQ(p2.z, 10.0f);
    EXPECT_EQ(p3.x, 10.0f);
    EXPECT_EQ(p3.y, 8.0f);
    EXPECT_EQ(p3.z, 15.0f);
    EXPECT_EQ(field->cameraX, 40.0f);
}

TEST(VoxelFieldUpdate, FirstTickMovesTheSourcesAtOnce) {
    auto field = makeField();
    field->update(1);
    Point p1 = source(*field, 1);
    EXPECT_NEAR(p1.x, 0.0137, 1e-4);
    EXPECT_NEAR(p1.y, 9.4769, 1e-4);
    EXPECT_NEAR(p1.z, 0.0137, 1e-4);
    // Three degrees with the 3.14 factor, computed in double and stored as float.
    EXPECT_EQ(p1.x, float(10.0 - 10.0 * std::cos(3 * 3.14 / 180)));
    EXPECT_EQ(p1.y, float(10.0 - 10.0 * std::sin(3 * 3.14 / 180)));

    Point p2 = source(*field, 2);
    EXPECT_NEAR(p2.x, 15 + 3 * std::sin(18 * 3.14 / 180), 1e-5);
    EXPECT_NEAR(p2.y, 15 - 2 * std::sin(8 * 3.14 / 180), 1e-5);
    EXPECT_NEAR(p2.z, 10 + 2 * std::cos(8 * 3.14 / 180), 1e-5);
}

TEST(VoxelFieldUpdate, SourcesKeepToTheirPaths) {
    auto field = makeField();
    for (int t = 0; t < 500; t += 7) {
        field->update(t);
        Point p1 = source(*field, 1), p2 = source(*field, 2), p3 = source(*field, 3);
        // P1 on its ellipse in the plane x = z around (10, 10, 10).
        EXPECT_EQ(p1.x, p1.z) << "t " << t;
        EXPECT_LE(std::fabs(p1.y - 10.0f), 10.0f);
        // P3 slides along one straight line through (10, 8, 15).
        EXPECT_NEAR(p3.x + p3.y, 18.0f, 1e-5) << "t " << t;
        EXPECT_NEAR(p3.z - p3.x, 5.0f, 1e-5) << "t " << t;
        EXPECT_LE(std::fabs(p2.x - 15.0f), 3.0f);
        EXPECT_LE(std::fabs(p2.y - 15.0f), 2.0f);
        EXPECT_LE(std::fabs(p2.z - 10.0f), 2.0f);
    }
}

TEST(VoxelFieldUpdate, EyeSwingsWithTheThreePointOneFourDegree) {
    auto field = makeField();
    field->update(90);
    EXPECT_NEAR(field->cameraX, 0.0319, 1e-4);
    EXPECT_GT(field->cameraX, 0.0f);
    field->update(0);
    EXPECT_EQ(field->cameraX, 40.0f);
    for (int t = 0; t < 800; ++t) {
        field->update(t);
        ASSERT_LE(std::fabs(field->cameraX), 40.0f);
    }
}

TEST(VoxelCellValue, FiftyIsTheLastRawValueThatCounts) {
    EXPECT_EQ(voxelCellValue(50.0f), float(50.0 / 70.0));
    EXPECT_EQ(voxelCellValue(std::nextafter(50.0f, 100.0f)), 0.0f);
    EXPECT_EQ(voxelCellValue(1000.0f), 0.0f);
}

TEST(VoxelCellValue, NegativeRawHasNoLowerBound) {
    EXPECT_EQ(voxelCellValue(-7.0f), float(-7.0 / 70.0));
    EXPECT_EQ(voxelCellValue(-500.0f), float(-500.0 / 70.0));
    EXPECT_EQ(voxelCellValue(0.0f), 0.0f);
}

TEST(VoxelCellValue, RawValueTakesCosineOfTheSecondAndSineOfTheFirstDistance) {
    EXPECT_EQ(voxelRawValue(0.0f, 1.0f, 2.0f), 0.0f);
    EXPECT_EQ(voxelRawValue(2.0f, 0.0f, 3.0f), float(std::sin(2.0) * 3.0));
    EXPECT_EQ(voxelRawValue(1.0f, 2.0f, 3.0f), float(std::cos(2.0) * std::sin(1.0) * 3.0));
}

// Corner c of cell (i, j, k), as x, y, z.
const float* corner(const VoxelLattice& lattice, int i, int j, int k, int c) {
    int n = (i + 10) * 400 + (j + 10) * 20 + (k + 10);
    return &lattice.vertices[(4 * n + c) * 3];
}

TEST(VoxelLatticeRebuild, EveryCellIsASquareAroundItsLatticePoint) {
    auto field = makeField();
    field->update(17);
    field->lattice.rebuild();
    const VoxelLattice& lattice = field->lattice;
    int negative = 0;
    for (int i = -10; i < 10; ++i) {
        for (int j = -10; j < 10; ++j) {
            for (int k = -10; k < 10; ++k) {
                float v = lattice.cells[i + 10][j + 10][k + 10];
                if (v < 0) ++negative;
                const float* a = corner(lattice, i, j, k, 0);
                const float* b = corner(lattice, i, j, k, 1);
                const float* c = corner(lattice, i, j, k, 2);
                const float* d = corner(lattice, i, j, k, 3);
                for (const float* p : {a, b, c, d}) ASSERT_EQ(p[2], float(k));
                // Centred on (i, j), in the order (-,-), (+,-), (+,+), (-,+) of v.
                ASSERT_EQ(a[0], float(i - double(v)));
                ASSERT_EQ(a[1], float(j - double(v)));
                ASSERT_EQ(c[0], float(i + double(v)));
                ASSERT_EQ(c[1], float(j + double(v)));
                ASSERT_EQ(b[0], c[0]);
                ASSERT_EQ(b[1], a[1]);
                ASSERT_EQ(d[0], a[0]);
                ASSERT_EQ(d[1], c[1]);
                // The same winding whatever the sign of v: twice the signed area is 8 v^2.
                double area = double(b[0] - a[0]) * double(c[1] - a[1]) -
                              double(c[0] - a[0]) * double(b[1] - a[1]);
                ASSERT_GE(area, 0.0);
            }
        }
    }
    // Negative values do occur, and their squares start from the opposite corner.
    EXPECT_GT(negative, 0);
}

TEST(VoxelLatticeRebuild, CellValueFollowsTheThreeDistances) {
    auto field = makeField();  // sources of init: (10,10,10), (15,15,10), (10,8,15)
    field->lattice.rebuild();
    const VoxelLattice& lattice = field->lattice;
    auto expected = [](double d1sq, double d2sq, double d3sq) {
        float d1 = float(std::sqrt(d1sq)), d2 = float(std::sqrt(d2sq)), d3 = float(std::sqrt(d3sq));
        return float(double(float(std::cos(double(d2)) * std::sin(double(d1)) * double(d3))) /
                     70.0);
    };
    EXPECT_EQ(lattice.cells[10][10][10], expected(300, 550, 389));  // point (0, 0, 0)
    // Point (-10, 9, 3): checks that k runs fastest in the cell numbering too.
    EXPECT_EQ(lattice.cells[0][19][13], expected(400 + 1 + 49, 625 + 36 + 49, 400 + 1 + 144));
    const float* a = corner(lattice, -10, 9, 3, 0);
    EXPECT_EQ(a[0], float(-10 - double(lattice.cells[0][19][13])));
    EXPECT_EQ(a[2], 3.0f);
}

TEST(VoxelLatticeRebuild, SourceNumbersOutsideOneToThreeAreIgnored) {
    auto field = makeField();
    field->lattice.setSource(1, 2, 3, 0);
    field->lattice.setSource(1, 2, 3, 4);
    EXPECT_EQ(source(*field, 1).x, 10.0f);
    EXPECT_EQ(source(*field, 3).z, 15.0f);
}

void expectMatrixNear(const GLfloat* actual, const GLfloat* expected) {
    for (int e = 0; e < 16; ++e) EXPECT_NEAR(actual[e], expected[e], 1e-5) << "entry " << e;
}

TEST(VoxelFieldDraw, LeavesItsCameraAndTheStatedGlState) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    VoxelField& field = scene.state->voxelField;
    field.update(30);

    // The look-at is multiplied onto whatever modelview it finds.
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    GLfloat expected[16];
    gluLookAt(field.cameraX, 0, -30, 0, 0, 0, 0, 1, 0);
    glGetFloatv(GL_MODELVIEW_MATRIX, expected);
    glLoadIdentity();
    glTranslatef(1, 2, 3);

    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    field.draw(scene.state->camera, 30.0f);

    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    expectMatrixNear(modelview, expected);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 5.0f);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 0.0f);
    EXPECT_EQ(colour[1], 0.0f);
    EXPECT_EQ(colour[2], 0.0f);
    EXPECT_NEAR(colour[3], 0.9f, 1e-6);
    GLvoid* pointer = nullptr;
    glGetPointerv(GL_VERTEX_ARRAY_POINTER, &pointer);
    EXPECT_EQ(pointer, static_cast<const void*>(field.lattice.vertices));
    GLint size = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_SIZE, &size);
    EXPECT_EQ(size, 3);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(VoxelFieldDraw, ClearsColourButKeepsTheDepthOfEarlierEffects) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    glClearDepth(0.25);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    scene.state->voxelField.draw(scene.state->camera, 0.0f);
    GLfloat depth = 0;
    glReadPixels(400, 300, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_NEAR(depth, 0.25f, 1e-4);
}

TEST(VoxelFieldDraw, RebuildsTheLatticeOfTheCurrentTick) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    VoxelField& field = scene.state->voxelField;
    EXPECT_EQ(field.lattice.vertices[0], 0.0f);  // nothing built before the first frame
    field.update(12);
    drawFrame(*scene.state);
    auto reference = makeField();
    reference->update(12);
    reference->lattice.rebuild();
    EXPECT_EQ(0, std::memcmp(field.lattice.vertices, reference->lattice.vertices,
                             sizeof reference->lattice.vertices));
}

// Grey levels that k overlapping squares leave on white: each multiplies by 0.8.
std::set<int> darkeningSteps() {
    std::set<int> steps;
    double level = 255;
    for (int k = 0; k < 30; ++k) {
        steps.insert(int(std::lround(level)));
        level = std::lround(level) * 0.8;
    }
    return steps;
}

TEST(VoxelFieldPicture, DarkensTheWhiteBackgroundInGreySteps) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    // Whatever was on the screen before is cleared away by the field itself.
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(1, 1, 1, 0.5f);
    scene.state->voxelField.draw(scene.state->camera, 0.0f);
    std::vector<uint8_t> pixels = scene.gl.readPixels();

    const std::set<int> steps = darkeningSteps();
    std::set<int> seen;
    // Inside the outline (half-side 15 at tick 0), away from the line itself.
    for (int y = 100; y < 500; ++y) {
        for (int x = 200; x < 600; ++x) {
            const uint8_t* p = &pixels[(size_t(y) * 800 + x) * 4];
            ASSERT_EQ(p[0], p[1]) << x << "," << y;
            ASSERT_EQ(p[1], p[2]) << x << "," << y;
            bool onStep = steps.count(p[0]) || steps.count(p[0] + 1) || steps.count(p[0] - 1);
            ASSERT_TRUE(onStep) << int(p[0]) << " at " << x << "," << y;
            seen.insert(p[0]);
        }
    }
    EXPECT_TRUE(seen.count(255));
    EXPECT_TRUE(seen.count(204));  // one square
    EXPECT_GE(seen.size(), 5u);    // and deeper overlaps
    // Outside the lattice the background is white again, not the red drawn before.
    OffscreenGl::Rgba corner = scene.gl.pixel(20, 20);
    EXPECT_EQ(corner.r, 255);
    EXPECT_EQ(corner.g, 255);
    EXPECT_EQ(corner.b, 255);
}

TEST(VoxelFieldPicture, OutlineIsCentredAndPulsesWithTheTick) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    // The outline's left edge along the middle row, wherever the camera is.
    auto outlineLeftEdge = [&](float tick, int t) {
        scene.state->voxelField.update(t);
        glLoadIdentity();
        glClear(GL_COLOR_BUFFER_BIT);
        scene.state->voxelField.draw(scene.state->camera, tick);
        std::vector<uint8_t> pixels = scene.gl.readPixels();
        for (int x = 0; x < 400; ++x)
            if (pixels[(size_t(300) * 800 + x) * 4] < 30) return x;
        return -1;
    };
    int widest = outlineLeftEdge(0.0f, 0);        // s = 1.5
    int narrowest = outlineLeftEdge(180.0f, 45);  // s just above 0.5
    ASSERT_GE(widest, 0);
    ASSERT_GE(narrowest, 0);
    EXPECT_LT(widest, narrowest);
    // Symmetric about the screen's centre: the right edge mirrors the left.
    std::vector<uint8_t> pixels = scene.gl.readPixels();
    int right = -1;
    for (int x = 799; x >= 400; --x)
        if (pixels[(size_t(300) * 800 + x) * 4] < 30) {
            right = x;
            break;
        }
    EXPECT_NEAR(799 - right, narrowest, 3);
}

}  // namespace
