// The GL half of the TGA loader: a decoded image becomes a bound, linearly filtered texture.
#pragma once
#include "assets/tga_image.h"

namespace zuzor {

// Creates the texture from `image.pixels` and leaves it bound to GL_TEXTURE_2D.
// Needs a current GL context. GL errors (a size the implementation refuses) are not examined.
void uploadTga(TgaImage& image);

}  // namespace zuzor
