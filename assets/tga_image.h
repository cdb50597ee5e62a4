// Uncompressed true-colour TGA images (24 or 32 bits) loaded into GL textures.
#pragma once
#include <cstddef>
#include <cstdint>

struct TgaImage {
    uint8_t* pixels;  // R, G, B (, A) after loading; owned, kept for the whole run
    uint32_t bitsPerPixel;
    uint32_t width;
    uint32_t height;
    uint32_t texture;  // 0 while no image is loaded
};

// Loads the file into a texture; needs a current GL context. Failures are silent and
// leave no buffer allocated. The path may use '\\' between folder and file.
bool loadTga(TgaImage& image, const char* path);
