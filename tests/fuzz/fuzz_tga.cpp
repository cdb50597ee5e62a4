// Fuzz target: the TGA decoder on arbitrary bytes. Whatever it accepts must be exactly what
// the header promised, bottom row first, with the red/blue exchange done; whatever it
// refuses leaves no buffer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "assets/tga_decode.h"

using namespace zuzor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TgaImage image{};
    if (!decodeTga(data, size, image)) {
        if (image.pixels.get() || image.texture) std::abort();
        return 0;
    }
    const size_t bytesPerPixel = image.bitsPerPixel / 8;
    const size_t bytes = size_t(image.width) * image.height * bytesPerPixel;
    if ((bytesPerPixel != 3 && bytesPerPixel != 4) || image.width == 0 || image.height == 0 ||
        image.width > 65535 || image.height > 65535 || bytes > size - tgaHeaderSize)
        std::abort();
    const uint8_t* source = data + tgaHeaderSize;
    // The buffer is bottom row first: a file stored top row first is turned over.
    const size_t rowBytes = size_t(image.width) * bytesPerPixel;
    const bool topRowFirst = tgaTopRowFirst(data);
    // Check the first and last pixel fully: the buffer's size is what ASan watches.
    for (size_t at : {size_t(0), bytes - bytesPerPixel}) {
        const size_t row = at / rowBytes;
        const size_t fileRow = topRowFirst ? image.height - 1 - row : row;
        const size_t from = fileRow * rowBytes + at % rowBytes;
        if (image.pixels[at] != source[from + 2] || image.pixels[at + 1] != source[from + 1] ||
            image.pixels[at + 2] != source[from])
            std::abort();
        if (bytesPerPixel == 4 && image.pixels[at + 3] != source[from + 3]) std::abort();
    }
    image.pixels.reset();
    return 0;
}
