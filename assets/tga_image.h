// Uncompressed true-colour TGA images (24 or 32 bits) loaded into GL textures.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace zuzor {

// A pixel buffer from std::malloc (or an allocator that std::free can release).
struct FreeBytes {
    void operator()(uint8_t* bytes) const { std::free(bytes); }
};
using PixelBuffer = std::unique_ptr<uint8_t[], FreeBytes>;

// The record lives as long as its owner (the demo keeps its images for the whole run) and
// releases its pixels with it. The texture belongs to the GL context.
struct TgaImage {
    PixelBuffer pixels;  // R, G, B (, A) after loading
    uint32_t bitsPerPixel = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t texture = 0;  // 0 while no image is loaded
};

// Loads the file into a texture; needs a current GL context. Failures are silent and
// leave no buffer allocated. The path may use '\\' between folder and file.
bool loadTga(TgaImage& image, const char* path);

}  // namespace zuzor
