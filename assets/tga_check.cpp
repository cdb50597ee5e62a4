// The loader's refusals in words: its own header reader says which field, this says why.
#include "assets/tga_check.h"

#include "assets/tga_decode.h"

namespace zuzor {

namespace {

std::string number(unsigned value) {
    return std::to_string(value);
}

unsigned u16(const uint8_t* at) {
    return unsigned(at[0]) | unsigned(at[1]) << 8;
}

// The loader's refusal of the header in words, with the values it refused.
std::string headerRefusal(TgaHeaderFault fault, const uint8_t* header) {
    switch (fault) {
        case TgaHeaderFault::none:
            return {};
        case TgaHeaderFault::imageId:
            return "image ID field of " + number(header[0]) + " bytes (only ID length 0 is read)";
        case TgaHeaderFault::colourMap:
            return "colour map type " + number(header[1]) +
                   " (only files without a colour map are read)";
        case TgaHeaderFault::imageType: {
            const char* kind = header[2] >= 9 && header[2] <= 11 ? "run-length encoded image type "
                                                                 : "image type ";
            return kind + number(header[2]) + " (only uncompressed true-colour, type 2, is read)";
        }
        case TgaHeaderFault::colourMapFields:
            return "colour map fields set (only zero colour map fields are read)";
        case TgaHeaderFault::origin:
            return "image origin (" + number(u16(header + 8)) + ", " + number(u16(header + 10)) +
                   ") (only origin (0, 0) is read)";
        case TgaHeaderFault::noPixels:
            return "image of " + number(u16(header + 12)) + "x" + number(u16(header + 14)) +
                   " pixels";
        case TgaHeaderFault::depth:
            return number(header[16]) + " bits per pixel (only 24 and 32 are read)";
    }
    return {};
}

}  // namespace

bool checkTga(const uint8_t* data, size_t size, std::string& reason) {
    if (!data || size < tgaHeaderSize) {
        reason = "shorter than the " + number(unsigned(tgaHeaderSize)) + "-byte TGA header";
        return false;
    }
    TgaImage image{};
    reason = headerRefusal(readTgaHeader(data, image), data);
    if (!reason.empty()) return false;
    const size_t bytes = tgaPixelBytes(image);
    if (bytes == 0) {
        reason = "pixel data too large for this machine";
        return false;
    }
    if (size - tgaHeaderSize < bytes) {
        reason = "pixel data ends after " + std::to_string(size - tgaHeaderSize) + " of " +
                 std::to_string(bytes) + " bytes";
        return false;
    }
    return true;
}

}  // namespace zuzor
