// PNG images of captured frames (8-bit RGB) through libpng, and reading them back for the
// picture comparisons.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zuzor {

// Encodes width x height RGB pixels, top row first, as PNG bytes. `compression` is zlib's
// level, 0 to 9. False only when libpng fails.
bool encodePng(const uint8_t* rgb, int width, int height, int compression,
               std::vector<uint8_t>& out);

// Reads an 8-bit RGB or RGBA PNG file into RGB pixels, top row first. False, with a reason
// in `error`, for a missing file or any other kind of image.
bool readPng(const std::string& path, std::vector<uint8_t>& rgb, int& width, int& height,
             std::string& error);

}  // namespace zuzor
