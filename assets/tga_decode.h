// Turns the bytes of an uncompressed true-colour TGA file into RGB(A) pixels, bottom row
// first, without GL: the header check, the size arithmetic, the pixel read, the row order
// and the red/blue exchange.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "assets/tga_image.h"

namespace zuzor {

inline constexpr size_t tgaHeaderSize = 18;

// Where pixel buffers come from. The memory must be releasable with std::free; tests hand
// in counting or refusing allocators to watch what the reader asks for.
using TgaAllocate = void* (*)(size_t);

// The first field of the 18 header bytes that the loader refuses, in the order it reads them.
enum class TgaHeaderFault {
    none,
    imageId,          // an image ID field (only length 0 is read)
    colourMap,        // a colour map
    imageType,        // not type 2, uncompressed true-colour
    colourMapFields,  // colour map fields set
    origin,           // an origin other than (0, 0)
    noPixels,         // a width or height of 0
    depth,            // neither 24 nor 32 bits per pixel
};

// Reads the 18 header bytes: the one parser of the loader and of checkTga. Once the fixed
// part matches, `width` and `height` are stored in `image` even if the sizes or the depth
// are then refused; `bitsPerPixel` only when the header is accepted.
TgaHeaderFault readTgaHeader(const uint8_t* header, TgaImage& image);
inline bool acceptTgaHeader(const uint8_t* header, TgaImage& image) {
    return readTgaHeader(header, image) == TgaHeaderFault::none;
}

// width × height × bytes per pixel of an accepted header, or 0 when it does not fit in size_t.
size_t tgaPixelBytes(const TgaImage& image);

// Whether the header's descriptor says the top row comes first (bit 5); then the decoder
// turns the rows over, since GL and the rest of the show take the bottom row first.
bool tgaTopRowFirst(const uint8_t* header);
void flipRows(uint8_t* pixels, uint32_t width, uint32_t height, uint32_t bytesPerPixel);

// B, G, R (, A) → R, G, B (, A) in place; alpha and green stay where they are.
void swapRedAndBlue(uint8_t* pixels, size_t size, uint32_t bytesPerPixel);

// Decodes a whole file held in memory into `image.pixels`. Bytes after the pixel data are
// ignored. On failure no buffer remains and `pixels` and `texture` are untouched.
bool decodeTga(const uint8_t* data, size_t size, TgaImage& image, TgaAllocate allocate = nullptr);

// The same from an open file, read from its current position. The buffer is only
// allocated once the file is known to hold the whole pixel data, so a header that claims
// gigabytes costs nothing when the file is short.
bool readTga(std::FILE* file, TgaImage& image, TgaAllocate allocate = nullptr);

}  // namespace zuzor
