// Draws the show's two images and writes them as TGA files into the folder named on the
// command line: drell.tga (the logo, 24 bits) and korvane.tga (the warp sprite, 32 bits).
// The output is the same, byte for byte, on every run.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "authoring/image_canvas.h"
#include "authoring/image_logo.h"
#include "authoring/image_sprite.h"
#include "base/constants.h"

using namespace zuzor;

namespace {

bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    std::filesystem::path dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "cannot create %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }
    struct Output {
        const char* name;
        std::vector<uint8_t> bytes;
    } outputs[] = {
        {logoName, encodeTga(makeLogo(), 24)},
        {spriteName, encodeTga(makeSprite(), 32)},
    };
    for (const Output& output : outputs) {
        std::filesystem::path path = dir / output.name;
        if (!writeFile(path, output.bytes)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
