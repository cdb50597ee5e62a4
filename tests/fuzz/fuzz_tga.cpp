// Fuzz target: the TGA decoder on arbitrary bytes. Whatever it accepts must be exactly what
// the header promised, with the red/blue exchange done; whatever it refuses leaves no buffer.
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
    // Check the first and last pixel fully: the buffer's size is what ASan watches.
    for (size_t at : {size_t(0), bytes - bytesPerPixel}) {
        if (image.pixels[at] != source[at + 2] || image.pixels[at + 1] != source[at + 1] ||
            image.pixels[at + 2] != source[at])
            std::abort();
        if (bytesPerPixel == 4 && image.pixels[at + 3] != source[at + 3]) std::abort();
    }
    image.pixels.reset();
    return 0;
}
