// The letters Z, U, O and R as centre lines of straight pieces and quarter arcs.
#include "authoring/image_font.h"

#include <cstddef>

#include "authoring/image_shapes.h"

namespace zuzor {

namespace {

struct Piece {
    bool arc;
    double ax, ay, bx, by;  // segment ends, or for an arc: centre (ax, ay) and radius bx
    int sx, sy;             // the arc's quadrant
};

constexpr double half = glyphStroke / 2.0;
constexpr double left = half, right = glyphWidth - half;
constexpr double bottom = half, top = glyphHeight - half;
constexpr double corner = 11.0;
constexpr double middle = 33.0;  // centre line of R's waist

constexpr Piece seg(double ax, double ay, double bx, double by) {
    return {false, ax, ay, bx, by, 0, 0};
}
constexpr Piece arc(double cx, double cy, double radius, int sx, int sy) {
    return {true, cx, cy, radius, 0.0, sx, sy};
}

constexpr Piece letterZ[] = {
    seg(left, top, right, top),
    seg(right, top, left, bottom),
    seg(left, bottom, right, bottom),
};
constexpr Piece letterU[] = {
    seg(left, top, left, bottom + corner),
    arc(left + corner, bottom + corner, corner, -1, -1),
    seg(left + corner, bottom, right - corner, bottom),
    arc(right - corner, bottom + corner, corner, 1, -1),
    seg(right, bottom + corner, right, top),
};
constexpr Piece letterO[] = {
    seg(left, bottom + corner, left, top - corner),
    arc(left + corner, top - corner, corner, -1, 1),
    seg(left + corner, top, right - corner, top),
    arc(right - corner, top - corner, corner, 1, 1),
    seg(right, top - corner, right, bottom + corner),
    arc(right - corner, bottom + corner, corner, 1, -1),
    seg(right - corner, bottom, left + corner, bottom),
    arc(left + corner, bottom + corner, corner, -1, -1),
};
constexpr Piece letterR[] = {
    seg(left, bottom, left, top),
    seg(left, top, right - corner, top),
    arc(right - corner, top - corner, corner, 1, 1),
    seg(right, top - corner, right, middle + corner),
    arc(right - corner, middle + corner, corner, 1, -1),
    seg(right - corner, middle, left, middle),
    seg(left + 15.0, middle, right, bottom),
};

template <size_t N>
double distanceTo(const Piece (&pieces)[N], double x, double y) {
    double nearest = 1e9;
    for (const Piece& p : pieces) {
        double d = p.arc ? quarterArcDistance(x, y, p.ax, p.ay, p.bx, p.sx, p.sy)
                         : segmentDistance(x, y, p.ax, p.ay, p.bx, p.by);
        if (d < nearest) nearest = d;
    }
    return nearest - half;
}

}  // namespace

double glyphDistance(char letter, double x, double y) {
    switch (letter) {
        case 'Z':
            return distanceTo(letterZ, x, y);
        case 'U':
            return distanceTo(letterU, x, y);
        case 'O':
            return distanceTo(letterO, x, y);
        case 'R':
            return distanceTo(letterR, x, y);
        default:
            return 1e9;
    }
}

}  // namespace zuzor
