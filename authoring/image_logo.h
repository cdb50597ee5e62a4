// The closing logo: the demo's name in chrome letters over a synthwave sunset.
#pragma once
#include "authoring/image_canvas.h"

namespace zuzor {

// 512 × 256, opaque. Drawn in the units of the 320 × 240 screen pixels that the demo
// stretches it onto, so the letters keep their shape after the stretch.
inline constexpr int logoWidth = 512;
inline constexpr int logoHeight = 256;
RgbaImage makeLogo();

}  // namespace zuzor
