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
    // With hidden set the panels leave their GL state and colours but send no primitives.
    void draw(bool hidden = false) const;
    void drawPanels(bool hidden = false) const;
    void drawQuad() const;
};

}  // namespace zuzor
