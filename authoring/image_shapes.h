// Distance and blending helpers for drawing pictures analytically. Only +, −, ×, ÷ and
// square roots are used, so the pictures come out bit for bit the same on every machine.
#pragma once
#include "authoring/image_canvas.h"

namespace zuzor {

inline double clamp01(double v) {
    return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}
inline double mix(double a, double b, double t) {
    return a + (b - a) * t;
}
inline Rgb mix(Rgb a, Rgb b, double t) {
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)};
}
inline Rgb scale(Rgb c, double k) {
    return {c.r * k, c.g * k, c.b * k};
}
inline Rgb add(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline double smoothstep(double edge0, double edge1, double x) {
    double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}
// Coverage of a shape at signed distance `d` (negative inside), edges `width` wide.
inline double coverage(double d, double width) {
    return clamp01(0.5 - d / width);
}

// Distance from (px, py) to the segment a–b.
double segmentDistance(double px, double py, double ax, double ay, double bx, double by);

// Distance from (px, py) to the quarter circle of radius `radius` about (cx, cy) that lies
// in the quadrant given by the signs sx, sy (each +1 or −1).
double quarterArcDistance(double px, double py, double cx, double cy, double radius, int sx,
                          int sy);

// Distance from (px, py) to the infinite line through a and b.
double lineDistance(double px, double py, double ax, double ay, double bx, double by);

}  // namespace zuzor
