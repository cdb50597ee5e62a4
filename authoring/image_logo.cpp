// Draws the logo pixel by pixel from distances: sky, striped sun, perspective grid, stars,
// then the letters with shadow, glow, dark outline and a two-tone chrome fill.
#include "authoring/image_logo.h"

#include <cmath>
#include <cstdint>

#include "authoring/image_font.h"
#include "authoring/image_shapes.h"

namespace zuzor {

namespace {

// The area of the screen the logo covers, in screen pixels.
constexpr double screenWidth = 320.0;
constexpr double screenHeight = 240.0;

constexpr double horizon = 80.0;
constexpr double sunX = 160.0, sunY = 96.0, sunRadius = 70.0;

constexpr char word[] = "ZUZOR";
constexpr int letters = 5;
constexpr double letterGap = 13.0;
constexpr double slant = 0.18;  // x shift per unit of height: a forward lean
constexpr double wordLeft =
    (screenWidth - (letters * glyphWidth + (letters - 1) * letterGap)) / 2.0;
constexpr double wordBottom = 128.0;

// Signed distance to the whole word, in screen pixels.
double wordDistance(double x, double y) {
    double ly = y - wordBottom;
    double lx = x - wordLeft - slant * (ly - glyphHeight / 2.0);
    double nearest = 1e9;
    for (int i = 0; i < letters; ++i) {
        double d = glyphDistance(word[i], lx - i * (glyphWidth + letterGap), ly);
        if (d < nearest) nearest = d;
    }
    return nearest;
}

Rgb sky(double y) {
    const Rgb high = {0.03, 0.02, 0.12}, low = {0.42, 0.07, 0.38};
    double t = clamp01((y - horizon) / (screenHeight - horizon));
    return mix(low, high, smoothstep(0.0, 1.0, t));
}

// Dark gaps across the lower part of the sun, thicker toward the horizon.
bool inSunGap(double y) {
    const double centres[] = {86.0, 95.0, 105.0, 116.0, 128.0};
    const double halves[] = {3.0, 2.4, 1.8, 1.3, 0.8};
    for (int i = 0; i < 5; ++i) {
        double d = y - centres[i];
        if (d < halves[i] && d > -halves[i]) return true;
    }
    return false;
}

Rgb skyWithSun(double x, double y) {
    Rgb colour = sky(y);
    double dx = x - sunX, dy = y - sunY;
    double distance = std::sqrt(dx * dx + dy * dy) - sunRadius;
    double halo = clamp01(1.0 - distance / 45.0);
    colour = add(colour, scale(Rgb{0.55, 0.15, 0.35}, 0.5 * halo * halo));
    if (!inSunGap(y)) {
        double t = clamp01((y - horizon) / (sunY + sunRadius - horizon));
        Rgb sun = mix(Rgb{1.0, 0.22, 0.52}, Rgb{1.0, 0.88, 0.32}, t);
        colour = mix(colour, sun, coverage(distance, 1.2));
    }
    return colour;
}

// A small deterministic generator of its own, so that the picture does not depend on the
// show's random sequence.
struct Lcg {
    uint32_t state;
    double next() {
        state = state * 1664525u + 1013904223u;
        return double(state >> 8) / 16777216.0;
    }
};

struct Star {
    double x, y, brightness;
};

struct StarField {
    Star stars[40];
    StarField() {
        Lcg random{20261207u};
        for (Star& s : stars) {
            s.x = 6.0 + random.next() * (screenWidth - 12.0);
            s.y = 110.0 + random.next() * (screenHeight - 118.0);
            s.brightness = 0.35 + 0.65 * random.next();
        }
    }
    double light(double x, double y) const {
        double total = 0.0;
        for (const Star& s : stars) {
            double dx = x - s.x, dy = y - s.y;
            total += s.brightness * clamp01(1.0 - std::sqrt(dx * dx + dy * dy) / 1.3);
        }
        return total;
    }
};

Rgb ground(double x, double y) {
    double depth = (horizon - y) / horizon;  // 0 at the horizon, 1 at the bottom edge
    Rgb colour = mix(Rgb{0.16, 0.02, 0.20}, Rgb{0.02, 0.0, 0.05}, clamp01(depth * 2.0));
    double line = 1e9;
    // Lines across: equal steps in depth, crowding toward the horizon.
    for (int n = 0; n < 9; ++n) {
        double d = y - (horizon - 160.0 / (n + 2.0));
        if (d < 0.0) d = -d;
        if (d < line) line = d;
    }
    // Lines along: through the vanishing point.
    for (int k = -8; k <= 8; ++k) {
        double d = lineDistance(x, y, sunX, horizon, sunX + k * 46.0, 0.0);
        if (d < line) line = d;
    }
    double fade = 0.85 * clamp01(depth * 3.0);
    double glow = coverage(line - 0.5, 1.0) + 0.35 * clamp01(1.0 - line / 4.0);
    return add(colour, scale(Rgb{1.0, 0.25, 0.8}, fade * glow));
}

// How much of the sun covers (x, y), so that the stars stay behind it.
double sunCover(double x, double y) {
    double dx = x - sunX, dy = y - sunY;
    return coverage(std::sqrt(dx * dx + dy * dy) - sunRadius, 1.2);
}

Rgb background(const StarField& stars, double x, double y) {
    Rgb colour = y >= horizon ? skyWithSun(x, y) : ground(x, y);
    if (y >= horizon) {
        double light = stars.light(x, y) * (1.0 - sunCover(x, y));
        colour = add(colour, Rgb{light, light, light * 0.9});
    }
    double h = y - horizon;
    if (h < 0.0) h = -h;
    colour = add(colour, scale(Rgb{1.0, 0.55, 0.85}, coverage(h - 0.5, 1.0) * 0.9));
    return colour;
}

// Chrome: a bright sky half over a dark-to-light ground half, split at mid-height.
Rgb chrome(double y) {
    double t = clamp01((y - wordBottom) / glyphHeight);
    Rgb upper = mix(Rgb{0.30, 0.55, 0.95}, Rgb{0.97, 0.99, 1.0}, smoothstep(0.5, 1.0, t));
    Rgb lower = mix(Rgb{1.0, 0.78, 0.95}, Rgb{0.14, 0.06, 0.30}, smoothstep(0.0, 0.5, t));
    double split = wordBottom + glyphHeight * 0.5;
    return mix(lower, upper, coverage(split - y, 1.0));
}

Rgb logoPixel(const StarField& stars, double x, double y) {
    Rgb colour = background(stars, x, y);

    double shadow = wordDistance(x - 3.0, y + 3.0);
    colour = scale(colour, 1.0 - 0.6 * coverage(shadow - 2.5, 3.0));

    double d = wordDistance(x, y);
    const double outline = 2.5;
    double glow = clamp01(1.0 - (d - outline) / 14.0);
    colour = add(colour, scale(Rgb{0.15, 0.75, 1.0}, 0.55 * glow * glow));
    colour = mix(colour, Rgb{0.03, 0.0, 0.08}, coverage(d - outline, 1.0));
    colour = mix(colour, chrome(y), coverage(d, 1.0));

    // Faint scanlines, three screen pixels apart.
    double phase = y / 3.0 - double(int(y / 3.0));
    double wave = phase < 0.5 ? phase * 2.0 : 2.0 - phase * 2.0;
    return scale(colour, 0.94 + 0.06 * wave);
}

}  // namespace

RgbaImage makeLogo() {
    RgbaImage image(logoWidth, logoHeight);
    StarField stars;
    for (int ty = 0; ty < logoHeight; ++ty)
        for (int tx = 0; tx < logoWidth; ++tx) {
            double* p = image.at(tx, ty);
            p[3] = 1.0;
            // A black rim, the same all round: with repeat wrapping and linear filtering the
            // edge texels blend with the opposite edge, which then cannot show a seam.
            if (tx < 3 || tx >= logoWidth - 3 || ty < 2 || ty >= logoHeight - 2) {
                p[0] = p[1] = p[2] = 0.0;
                continue;
            }
            double x = (tx + 0.5) * screenWidth / logoWidth;
            double y = (ty + 0.5) * screenHeight / logoHeight;
            Rgb c = logoPixel(stars, x, y);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    return image;
}

}  // namespace zuzor
