// Draws the sprite from its radius and axes: core, ring, spikes and a faint halo. It is
// shown at a third of its alpha over coloured squares, so the bright parts are fully opaque.
#include "authoring/image_sprite.h"

#include <cmath>

#include "authoring/image_shapes.h"

namespace zuzor {

namespace {

double bump(double x, double centre, double halfWidth) {
    double t = clamp01(1.0 - ((x - centre) / halfWidth) * ((x - centre) / halfWidth));
    return t * t;
}

// A spike along one axis: thin, brightest at the centre, gone by the edge.
double spike(double along, double across, double width) {
    double a = clamp01(1.0 - std::fabs(along) / 0.92);
    double c = clamp01(1.0 - std::fabs(across) / (width * (0.25 + a)));
    return a * a * c * c;
}

}  // namespace

RgbaImage makeSprite() {
    RgbaImage image(spriteSize, spriteSize);
    const Rgb white = {1.0, 1.0, 1.0}, ringColour = {0.2, 0.68, 1.0},
              haloColour = {0.45, 0.35, 1.0};
    for (int ty = 0; ty < spriteSize; ++ty)
        for (int tx = 0; tx < spriteSize; ++tx) {
            double x = (tx + 0.5) / spriteSize * 2.0 - 1.0;
            double y = (ty + 0.5) / spriteSize * 2.0 - 1.0;
            double r = std::sqrt(x * x + y * y);
            double edge = clamp01((0.96 - r) / 0.12);  // everything fades out before the rim

            double core = clamp01(1.0 - r / 0.3);
            core = core * core;
            double ring = bump(r, 0.62, 0.16);
            double u = (x + y) * 0.70710678, v = (x - y) * 0.70710678;
            double spikes = spike(x, y, 0.12) + spike(y, x, 0.12) +
                            0.55 * (spike(u, v, 0.08) + spike(v, u, 0.08));
            double halo = clamp01(1.0 - r / 0.96);
            halo = 0.35 * halo * halo * halo;

            double total = core + ring + spikes + halo;
            // The colour is defined everywhere, even where alpha is 0, so that linear filtering
            // at the soft edges does not pull in black.
            Rgb colour = ringColour;
            if (total > 0.0) {
                colour = add(add(scale(white, core + spikes), scale(ringColour, ring)),
                             scale(haloColour, halo));
                colour = scale(colour, 1.0 / total);
            }
            colour = mix(colour, white, clamp01(total - 1.0) * 0.5);
            double* p = image.at(tx, ty);
            p[0] = colour.r;
            p[1] = colour.g;
            p[2] = colour.b;
            p[3] = clamp01(total) * edge;
        }
    return image;
}

}  // namespace zuzor
