// The four quarter-screen beat flashes and their decay.
#pragma once

namespace zuzor {

struct FlashPanels {
    bool fastDecay = false;
    float pulse[4] = {};  // upper left, upper right, lower left, lower right
    float quad[8] = {};

    void init();
    void update();
    void bindVertices() const;
    void draw() const;
    void drawPanels() const;
    void drawQuad() const;
};

}  // namespace zuzor
