// The loader's refusals one by one, in the order its fixed header template meets them.
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

// The first header field the loader's template refuses, or an empty string.
std::string headerRefusal(const uint8_t* header) {
    if (header[0] != 0)
        return "image ID field of " + number(header[0]) + " bytes (only ID length 0 is read)";
    if (header[1] != 0)
        return "colour map type " + number(header[1]) +
               " (only files without a colour map are read)";
    if (header[2] != 2) {
        const char* kind =
            header[2] >= 9 && header[2] <= 11 ? "run-length encoded image type " : "image type ";
        return kind + number(header[2]) + " (only uncompressed true-colour, type 2, is read)";
    }
    for (int at = 3; at < 8; ++at)
        if (header[at] != 0) return "colour map fields set (only zero colour map fields are read)";
    if (u16(header + 8) != 0 || u16(header + 10) != 0)
        return "image origin (" + number(u16(header + 8)) + ", " + number(u16(header + 10)) +
               ") (only origin (0, 0) is read)";
    if (u16(header + 12) == 0 || u16(header + 14) == 0)
        return "image of " + number(u16(header + 12)) + "x" + number(u16(header + 14)) + " pixels";
    if (header[16] != 24 && header[16] != 32)
        return number(header[16]) + " bits per pixel (only 24 and 32 are read)";
    return {};
}

}  // namespace

bool checkTga(const uint8_t* data, size_t size, std::string& reason) {
    if (!data || size < tgaHeaderSize) {
        reason = "shorter than the " + number(unsigned(tgaHeaderSize)) + "-byte TGA header";
        return false;
    }
    reason = headerRefusal(data);
    if (!reason.empty()) return false;
    TgaImage image{};
    acceptTgaHeader(data, image);
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
