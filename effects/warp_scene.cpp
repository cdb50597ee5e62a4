// The warp scene: a swarm of random squares under warped projections, the ring tower
// once more shifted sideways, and a ring of sprites flying toward the viewer.
#include "effects/warp_scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <initializer_list>

#include "base/constants.h"
#include "base/random_sequence.h"
#include "effects/camera.h"

namespace zuzor {

namespace {

constexpr int32_t swarmRows = 100;
constexpr int32_t squaresPerHalfRow = 10;
constexpr int32_t spriteCount = 10;

struct SquareColour {
    GLubyte red, green, blue;
};

// Three draws from the show's sequence, blue first; the sequence order is part of the show.
SquareColour nextSquareColour(RandomSequence& random) {
    SquareColour colour;
    colour.blue = GLubyte(random.next() % 256);
    colour.green = GLubyte(random.next() % 256);
    colour.red = GLubyte(random.next() % 256);
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
    loadTga(sprite, spriteFile);
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

void WarpScene::drawSwarm(int32_t t, RandomSequence& random, bool hidden) {
    glRotatef(float(t + 10.0 * pulse), 0.0f, 0.0f, 1.0f);
    glTranslatef(-10.0f, -5.0f, -30.0f);
    glEnable(GL_BLEND);
    if (hidden) {
        SquareColour colour{};
        for (int32_t square = 0; square < 2 * swarmRows * squaresPerHalfRow; ++square)
            colour = nextSquareColour(random);
        setColour(colour);
        loadWarpedProjection(halfRowFieldOfView(t, swarmRows - 1, pulse, true),
                             halfRowAspect(pulse, true));
        glDisable(GL_BLEND);
        return;
    }
    for (int32_t i = 0; i < swarmRows; ++i) {
        for (bool secondHalf : {false, true}) {
            loadWarpedProjection(halfRowFieldOfView(t, i, pulse, secondHalf),
                                 halfRowAspect(pulse, secondHalf));
            for (int32_t j = 0; j < squaresPerHalfRow; ++j) {
                setColour(nextSquareColour(random));
                glPushMatrix();
                if (secondHalf)
                    glTranslatef(0.0f, float(2 * j), float(i));
                else
                    glTranslatef(float(2 * j), 0.0f, float(i));
                drawUnitSquare();
                glPopMatrix();
            }
        }
    }
    glDisable(GL_BLEND);
}

void WarpScene::draw(const Camera& camera, const RingTower& tower,
                     const TowerSettings& towerSettings, int32_t t, RandomSequence& random,
                     bool hidden) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    drawSwarm(t, random, hidden);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    // The same tower object, moved 20 units right in eye space before its camera goes on.
    glPushMatrix();
    glLoadIdentity();
    tower.bindArrays();
    glTranslatef(20.0f, 0.0f, 0.0f);
    tower.draw(camera, towerSettings, t, hidden);
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

}  // namespace zuzor
