// A floating-point RGBA picture, bottom row first, and its encoding as an uncompressed
// TGA file (lower-left origin), for the tool that draws the show's images.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zuzor {

struct Rgb {
    double r, g, b;
};

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<double> rgba;  // width × height × 4, rows from the bottom up, 0..1

    RgbaImage(int w, int h) : width(w), height(h), rgba(size_t(w) * h * 4, 0.0) {}
    double* at(int x, int y) { return &rgba[(size_t(y) * width + x) * 4]; }
    const double* at(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

// 0..1 → 0..255, rounded to nearest, values outside clamped.
uint8_t toByte(double value);

// Which row a TGA file stores first. The show's images are bottom row first; other tools
// (ImageMagick among them) write the top row first, and the tests make both.
enum class TgaRowOrder { bottomRowFirst, topRowFirst };

// The file bytes: 18-byte header (type 2, no ID, no colour map, origin 0), then B, G, R (, A)
// per pixel in the given row order. `depth` is 24 (alpha dropped) or 32.
std::vector<uint8_t> encodeTga(const RgbaImage& image, int depth,
                               TgaRowOrder order = TgaRowOrder::bottomRowFirst);

}  // namespace zuzor
