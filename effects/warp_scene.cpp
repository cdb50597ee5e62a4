// The warp scene: a swarm of random squares under warped projections, the ring tower
// once more shifted sideways, and a ring of sprites flying toward the viewer.
#include "effects/warp_scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <initializer_list>

#include "shell/demo_state.h"
#include "shell/render_helpers.h"

namespace {

constexpr int32_t swarmRows = 100;
constexpr int32_t squaresPerHalfRow = 10;
constexpr int32_t spriteCount = 10;

struct SquareColour {
    GLubyte red, green, blue;
};

// Three draws from the shared sequence, blue first; the sequence order is part of the show.
SquareColour nextSquareColour() {
    SquareColour colour;
    colour.blue = GLubyte(nextRandom() % 256);
    colour.green = GLubyte(nextRandom() % 256);
    colour.red = GLubyte(nextRandom() % 256);
    return colour;
}

void setColour(SquareColour colour) {
    glColor4ub(colour.red, colour.green, colour.blue, 240);
}

const float unitSquare[4][2] = {{-0.5f, -0.5f}, {-0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, -0.5f}};

void drawUnitSquare() {
    glBegin(GL_QUADS);
    for (const float* corner : unitSquare) glVertex3f(corner[0], corner[1], 0.0f);
    glEnd();
}

// Most of the swarm lies outside the view in any frame: rows behind the eye, and half-rows
// whose warped projection magnifies them far off screen. A square that lies wholly beyond
// one plane of the view volume yields no fragment, so it is not sent at all; only the GL
// work is saved, and the picture, the depth buffer and the random draws stay the same.
// The test runs in double precision on the GL's own matrices and demands a clear margin,
// far above the rounding of the GL's single-precision transform, before it drops a square.
class ViewVolume {
  public:
    // modelview and projection in the GL's column-major order.
    void set(const GLdouble modelview[16], const GLdouble projection[16]) {
        for (int row = 0; row < 4; ++row) {
            for (int col = 0; col < 4; ++col) {
                double sum = 0.0, bound = 0.0;
                for (int k = 0; k < 4; ++k) {
                    sum += projection[k * 4 + row] * modelview[col * 4 + k];
                    bound += std::fabs(projection[k * 4 + row]) * std::fabs(modelview[col * 4 + k]);
                }
                clip_[row][col] = sum;
                bound_[row][col] = bound;
            }
        }
    }

    // True when the unit square moved by (x, y, z) is wholly outside one clip plane.
    bool squareOutside(double x, double y, double z) const {
        double clip[4][4], size[4][4];
        for (int c = 0; c < 4; ++c) {
            const double point[4] = {x + unitSquare[c][0], y + unitSquare[c][1], z, 1.0};
            for (int row = 0; row < 4; ++row) {
                double sum = 0.0, bound = 0.0;
                for (int k = 0; k < 4; ++k) {
                    sum += clip_[row][k] * point[k];
                    bound += bound_[row][k] * std::fabs(point[k]);
                }
                clip[c][row] = sum;
                size[c][row] = bound;
            }
        }
        // For each of x, y, z: beyond +w on all corners, or beyond -w on all corners.
        for (int axis = 0; axis < 3; ++axis) {
            for (double side : {1.0, -1.0}) {
                bool allBeyond = true;
                for (int c = 0; c < 4 && allBeyond; ++c) {
                    double beyond = side * clip[c][axis] - clip[c][3];
                    double margin = marginPerUnit * (size[c][axis] + size[c][3]);
                    allBeyond = beyond > margin;
                }
                if (allBeyond) return true;
            }
        }
        return false;
    }

  private:
    static constexpr double marginPerUnit = 1e-4;
    double clip_[4][4];   // projection times modelview
    double bound_[4][4];  // the same product of absolute values, to scale the margin
};

// The field of view is handed on unclamped; what the GLU makes of angles far outside
// 0..180 degrees is the look of the effect.
void loadWarpedProjection(double fovy, double aspect) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovy, aspect, 0.1, 200.0);
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace

void WarpScene::init() {
    loadTga(sprite, "Data\\korvane.tga");
}

void WarpScene::update() {
    if (pulse > 0.0f) pulse = float(pulse - 0.5);
    depth = float(depth + 10.0);
}

double WarpScene::halfRowFieldOfView(int32_t t, int32_t row, float pulse, bool secondHalf) {
    int32_t square = row * row;
    return secondHalf ? double(t - square) - 10.0 * pulse : double(t + square) + 10.0 * pulse;
}

double WarpScene::halfRowAspect(float pulse, bool secondHalf) {
    return secondHalf ? 1.3 + pulse / 2.0 : 1.3 - pulse / 2.0;
}

double WarpScene::spriteRadius() const {
    return 4.0 * depth / 10.0 + 2.0;
}

void WarpScene::drawSwarm(int32_t t, bool hidden) {
    glRotatef(float(t + 10.0 * pulse), 0.0f, 0.0f, 1.0f);
    glTranslatef(-10.0f, -5.0f, -30.0f);
    glEnable(GL_BLEND);
    if (hidden) {
        SquareColour colour{};
        for (int32_t square = 0; square < 2 * swarmRows * squaresPerHalfRow; ++square)
            colour = nextSquareColour();
        setColour(colour);
        loadWarpedProjection(halfRowFieldOfView(t, swarmRows - 1, pulse, true),
                             halfRowAspect(pulse, true));
        glDisable(GL_BLEND);
        return;
    }
    GLdouble modelview[16], projection[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    ViewVolume view;
    SquareColour colour{};
    bool colourSet = true;
    for (int32_t i = 0; i < swarmRows; ++i) {
        for (bool secondHalf : {false, true}) {
            loadWarpedProjection(halfRowFieldOfView(t, i, pulse, secondHalf),
                                 halfRowAspect(pulse, secondHalf));
            glGetDoublev(GL_PROJECTION_MATRIX, projection);
            view.set(modelview, projection);
            for (int32_t j = 0; j < squaresPerHalfRow; ++j) {
                colour = nextSquareColour();
                float x = secondHalf ? 0.0f : float(2 * j);
                float y = secondHalf ? float(2 * j) : 0.0f;
                if (view.squareOutside(x, y, i)) {
                    colourSet = false;
                    continue;
                }
                setColour(colour);
                colourSet = true;
                glPushMatrix();
                glTranslatef(x, y, float(i));
                drawUnitSquare();
                glPopMatrix();
            }
        }
    }
    // The current colour is left as if every square had been sent.
    if (!colourSet) setColour(colour);
    glDisable(GL_BLEND);
}

void WarpScene::draw(const DemoState& state, int32_t t, bool hidden) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    drawSwarm(t, hidden);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    // The same tower object, moved 20 units right in eye space before its camera goes on.
    glPushMatrix();
    glLoadIdentity();
    state.ringTower.bindArrays();
    glTranslatef(20.0f, 0.0f, 0.0f);
    state.ringTower.draw(state, state.towerCopies, t, state.towerCameraAlt, hidden);
    glPopMatrix();

    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 0.3f);
    glBindTexture(GL_TEXTURE_2D, sprite.texture);
    for (int32_t i = 0; i < spriteCount && !hidden; ++i) {
        glPushMatrix();
        glRotatef(float(36 * i + 5 * t), 0.0f, 0.0f, 1.0f);
        glTranslatef(float(spriteRadius()), 0.0f, 0.0f);
        glPushMatrix();
        glRotatef(float(10 * t), 0.0f, 0.0f, 1.0f);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(-2.0f, -2.0f, depth);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3f(2.0f, -2.0f, depth);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3f(2.0f, 2.0f, depth);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(-2.0f, 2.0f, depth);
        glEnd();
        glPopMatrix();
        glPopMatrix();
    }
    glPopMatrix();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    // Everything after the sprites relies on the start-up blend function.
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
}
