// The file-format half of the TGA loader: everything up to the RGB(A) buffer.
#include "assets/tga_decode.h"

#include <sys/types.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace zuzor {

namespace {

uint32_t u16(const uint8_t* at) {
    return uint32_t(at[0]) + 256u * at[1];
}

TgaAllocate orDefault(TgaAllocate allocate) {
    return allocate ? allocate : std::malloc;
}

// Bytes from the current position to the end of the file, or -1 when the file cannot tell
// (a pipe, say): then nothing is allocated on the header's word alone.
off_t bytesRemaining(std::FILE* file) {
    off_t here = ftello(file);
    if (here < 0 || fseeko(file, 0, SEEK_END) != 0) return -1;
    off_t end = ftello(file);
    if (fseeko(file, here, SEEK_SET) != 0 || end < here) return -1;
    return end - here;
}

}  // namespace

namespace {

// GL takes the bottom row first, as the loader hands it over: a file stored top row first
// is turned over here, so both orders of the same picture give the same buffer.
void finishPixels(const uint8_t* header, uint8_t* pixels, const TgaImage& image) {
    const uint32_t bytesPerPixel = image.bitsPerPixel / 8;
    if (tgaTopRowFirst(header)) flipRows(pixels, image.width, image.height, bytesPerPixel);
    swapRedAndBlue(pixels, tgaPixelBytes(image), bytesPerPixel);
}

}  // namespace

TgaHeaderFault readTgaHeader(const uint8_t* header, TgaImage& image) {
    if (header[0] != 0) return TgaHeaderFault::imageId;
    if (header[1] != 0) return TgaHeaderFault::colourMap;
    if (header[2] != 2) return TgaHeaderFault::imageType;
    for (int at = 3; at < 8; ++at)
        if (header[at] != 0) return TgaHeaderFault::colourMapFields;
    if (u16(header + 8) != 0 || u16(header + 10) != 0) return TgaHeaderFault::origin;
    image.width = u16(header + 12);
    image.height = u16(header + 14);
    if (image.width == 0 || image.height == 0) return TgaHeaderFault::noPixels;
    const uint8_t depth = header[16];
    if (depth != 24 && depth != 32) return TgaHeaderFault::depth;
    image.bitsPerPixel = depth;
    return TgaHeaderFault::none;
}

size_t tgaPixelBytes(const TgaImage& image) {
    // At most 65535 × 65535 × 4, which needs 35 bits: exact in 64-bit arithmetic.
    uint64_t bytes = uint64_t(image.width) * image.height * (image.bitsPerPixel / 8);
    if (bytes > SIZE_MAX) return 0;
    return size_t(bytes);
}

bool tgaTopRowFirst(const uint8_t* header) {
    return (header[17] & 0x20) != 0;
}

void flipRows(uint8_t* pixels, uint32_t width, uint32_t height, uint32_t bytesPerPixel) {
    const size_t rowBytes = size_t(width) * bytesPerPixel;
    for (uint32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels + size_t(top) * rowBytes, pixels + size_t(top + 1) * rowBytes,
                         pixels + size_t(bottom) * rowBytes);
}

void swapRedAndBlue(uint8_t* pixels, size_t size, uint32_t bytesPerPixel) {
    for (size_t i = 0; i + 2 < size; i += bytesPerPixel) {
        uint8_t blue = pixels[i];
        pixels[i] = pixels[i + 2];
        pixels[i + 2] = blue;
    }
}

bool decodeTga(const uint8_t* data, size_t size, TgaImage& image, TgaAllocate allocate) {
    if (size < tgaHeaderSize || !acceptTgaHeader(data, image)) return false;
    size_t bytes = tgaPixelBytes(image);
    if (bytes == 0 || size - tgaHeaderSize < bytes) return false;
    auto* pixels = static_cast<uint8_t*>(orDefault(allocate)(bytes));
    if (!pixels) return false;
    std::memcpy(pixels, data + tgaHeaderSize, bytes);
    finishPixels(data, pixels, image);
    image.pixels.reset(pixels);
    return true;
}

bool readTga(std::FILE* file, TgaImage& image, TgaAllocate allocate) {
    uint8_t header[tgaHeaderSize];
    if (std::fread(header, 1, sizeof header, file) != sizeof header) return false;
    if (!acceptTgaHeader(header, image)) return false;
    size_t bytes = tgaPixelBytes(image);
    if (bytes == 0) return false;
    off_t remaining = bytesRemaining(file);
    if (remaining < 0 || uint64_t(remaining) < bytes) return false;
    auto* pixels = static_cast<uint8_t*>(orDefault(allocate)(bytes));
    if (!pixels) return false;
    // The file may still shrink between the size check and the read.
    if (std::fread(pixels, 1, bytes, file) != bytes) {
        std::free(pixels);
        return false;
    }
    finishPixels(header, pixels, image);
    image.pixels.reset(pixels);
    return true;
}

}  // namespace zuzor
