// The picture's rectangle in whole pixels: its size rounds down, its bars split evenly with
// any odd pixel on the right or at the top.
#include "base/picture_rect.h"

#include <cstdint>

namespace zuzor {

PictureRect centredFourByThree(int width, int height) {
    if (width < 1 || height < 1) return {};
    PictureRect rect;
    if (int64_t(width) * 3 > int64_t(height) * 4) {
        rect.height = height;
        rect.width = int(int64_t(height) * 4 / 3);
    } else {
        rect.width = width;
        rect.height = int(int64_t(width) * 3 / 4);
    }
    rect.x = (width - rect.width) / 2;
    rect.y = (height - rect.height) / 2;
    return rect;
}

}  // namespace zuzor
