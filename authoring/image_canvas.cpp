// Quantising and TGA encoding of generated pictures.
#include "authoring/image_canvas.h"

#include <cmath>

namespace zuzor {

uint8_t toByte(double value) {
    if (!(value > 0.0)) return 0;
    if (value >= 1.0) return 255;
    return uint8_t(std::floor(value * 255.0 + 0.5));
}

std::vector<uint8_t> encodeTga(const RgbaImage& image, int depth, TgaRowOrder order) {
    std::vector<uint8_t> bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int value :
         {image.width & 0xff, image.width >> 8, image.height & 0xff, image.height >> 8, depth})
        bytes.push_back(uint8_t(value));
    const bool topFirst = order == TgaRowOrder::topRowFirst;
    // Alpha bits; bit 5 says which row comes first.
    bytes.push_back(uint8_t((depth == 32 ? 0x08 : 0x00) | (topFirst ? 0x20 : 0x00)));
    for (int row = 0; row < image.height; ++row)
        for (int x = 0; x < image.width; ++x) {
            const int y = topFirst ? image.height - 1 - row : row;
            const double* p = image.at(x, y);
            bytes.push_back(toByte(p[2]));
            bytes.push_back(toByte(p[1]));
            bytes.push_back(toByte(p[0]));
            if (depth == 32) bytes.push_back(toByte(p[3]));
        }
    return bytes;
}

}  // namespace zuzor
