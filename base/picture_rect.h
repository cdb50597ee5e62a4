// Where the show's 4:3 picture goes on a surface of another shape. The capture draws 16:9
// videos this way, and a window of any size can use the same rule.
#pragma once

namespace zuzor {

// The lines of the show's own picture (800x600): what is drawn in pixels is sized for it.
inline constexpr int showLines = 600;

struct PictureRect {
    int x = 0;  // from the left
    int y = 0;  // from the bottom, as GL counts
    int width = 0;
    int height = 0;
};

// The largest 4:3 rectangle centred on a width x height surface: the whole surface when it
// is 4:3, bars left and right on a wider one, above and below on a taller one. Sizes below
// 1 give an empty rectangle.
PictureRect centredFourByThree(int width, int height);

}  // namespace zuzor
