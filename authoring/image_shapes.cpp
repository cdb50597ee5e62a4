// Exact distances to the stroke pieces the generated letters and grids are made of.
#include "authoring/image_shapes.h"

#include <cmath>

namespace zuzor {

double segmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    double dx = bx - ax, dy = by - ay;
    double lengthSquared = dx * dx + dy * dy;
    double t =
        lengthSquared > 0.0 ? clamp01(((px - ax) * dx + (py - ay) * dy) / lengthSquared) : 0.0;
    double ex = px - (ax + t * dx), ey = py - (ay + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

double quarterArcDistance(double px, double py, double cx, double cy, double radius, int sx,
                          int sy) {
    double dx = px - cx, dy = py - cy;
    if (dx * sx >= 0.0 && dy * sy >= 0.0) return std::fabs(std::sqrt(dx * dx + dy * dy) - radius);
    double toX = segmentDistance(px, py, cx + sx * radius, cy, cx + sx * radius, cy);
    double toY = segmentDistance(px, py, cx, cy + sy * radius, cx, cy + sy * radius);
    return toX < toY ? toX : toY;
}

double lineDistance(double px, double py, double ax, double ay, double bx, double by) {
    double dx = bx - ax, dy = by - ay;
    return std::fabs((px - ax) * dy - (py - ay) * dx) / std::sqrt(dx * dx + dy * dy);
}

}  // namespace zuzor
