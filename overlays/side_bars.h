// The closing layers of every frame: the fade layer, the logo and the black side bars.
#pragma once

#include "assets/tga_image.h"

namespace zuzor {

struct FadeLayer {
    void draw() const;
};

void drawLogo(const TgaImage& logo);

struct SideBars {
    void draw() const;
};

}  // namespace zuzor
