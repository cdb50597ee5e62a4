// The warp scene: a swarm of random squares under warped projections, a shifted second
// ring tower, and a ring of sprites flying toward the viewer.
#pragma once
#include <cstdint>

#include "assets/tga_image.h"
#include "effects/ring_tower.h"

namespace zuzor {

struct Camera;
class RandomSequence;

struct WarpScene {
    float pulse = 0.0f;
    TgaImage sprite;
    float depth = 0.0f;

    void init();  // loads the sprite image
    void update();
    // Draws the swarm, then `tower` once more, shifted, with its camera and settings, then
    // the sprites. The swarm's colours are drawn from `random`. With hidden set only the
    // state the drawing leaves is produced, random draws included (see RingTower::draw).
    void draw(const Camera& camera, const RingTower& tower, const TowerSettings& towerSettings,
              int32_t t, RandomSequence& random, bool hidden = false);
    void drawSwarm(int32_t t, RandomSequence& random, bool hidden = false);

    // The projection of one half-row of the swarm: the first half (along x) or the second
    // (along y) of row i at whole tick t under the given warp pulse.
    static double halfRowFieldOfView(int32_t t, int32_t row, float pulse, bool secondHalf);
    static double halfRowAspect(float pulse, bool secondHalf);
    // Distance of each sprite from the ring's centre; negative puts it opposite its angle.
    double spriteRadius() const;
};

}  // namespace zuzor
