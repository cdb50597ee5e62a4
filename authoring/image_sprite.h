// The warp scene's sprite: a soft glowing ring around a four-pointed star.
#pragma once
#include "authoring/image_canvas.h"

namespace zuzor {

// 128 × 128 with alpha, which falls to 0 well inside the border.
inline constexpr int spriteSize = 128;
RgbaImage makeSprite();

}  // namespace zuzor
