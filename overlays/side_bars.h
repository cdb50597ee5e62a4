// The closing layers of every frame: the fade layer, the logo and the black side bars.
#pragma once

#include "assets/tga_image.h"

namespace zuzor {

struct FadeLayer {
    void draw() const;
};

// With hidden set these leave their GL state but send no primitives.
void drawLogo(const TgaImage& logo, bool hidden = false);

struct SideBars {
    void draw(bool hidden = false) const;

  private:
    void drawBars() const;
};

}  // namespace zuzor
