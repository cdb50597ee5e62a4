// The warp scene: a swarm of random squares under warped projections, a shifted second
// ring tower, and a ring of sprites flying toward the viewer.
#pragma once
#include <cstdint>

#include "assets/tga_image.h"

struct DemoState;

struct WarpScene {
    float pulse;
    TgaImage sprite;
    float depth;

    void init();  // loads the sprite image
    void update();
    void draw(const DemoState& state, int32_t t);
    void drawSwarm(int32_t t);
};
