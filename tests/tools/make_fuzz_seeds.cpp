// make_fuzz_seeds: writes the fuzzers' seed corpora (small valid and broken TGA images and
// XM modules, made with our own writers) into DIR/<target>/.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/sync_codes.h"
#include "tests/support/test_modules.h"

using namespace zuzor;

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

bool writeFile(const fs::path& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

Bytes tga(int width, int height, int depth) {
    Bytes bytes = {0,
                   0,
                   2,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   uint8_t(width),
                   uint8_t(width >> 8),
                   uint8_t(height),
                   uint8_t(height >> 8),
                   uint8_t(depth),
                   0};
    for (int i = 0; i < width * height * depth / 8; ++i) bytes.push_back(uint8_t(i * 37));
    return bytes;
}

Bytes truncated(Bytes bytes, size_t keep) {
    bytes.resize(std::min(keep, bytes.size()));
    return bytes;
}

Bytes scriptedModule(int rows, int orders, int version = 0x0104) {
    TestModuleShape shape;
    shape.rows = rows;
    shape.orders = orders;
    shape.scriptChannels = 2;
    XmModule module = makeTestModule(shape);
    putScriptEvent(module, 0, 0, 1, Z05);
    putScriptEvent(module, 0, 0, 2, Z14);
    putScriptEvent(module, 0, rows / 2, 1, 26);
    putScriptEvent(module, orders - 1, rows - 1, 1, 100);
    putEffect(module, 0, 1, 2, 0xF, 3);  // a faster speed, so a few rows fit a short render
    module.version = version;
    return testModuleBytes(module);
}

Bytes jumpingModule() {
    TestModuleShape shape;
    shape.rows = 8;
    shape.orders = 3;
    XmModule module = makeTestModule(shape);
    putEffect(module, 0, 2, 1, 0xD, 0x04);  // pattern break into the next order's row 4
    putEffect(module, 1, 6, 1, 0xB, 0x00);  // position jump back to the start
    putScriptEvent(module, 1, 5, 1, 46);
    putEffect(module, 2, 0, 1, 0xE, 0x62);  // pattern loop
    return testModuleBytes(module);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds DIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    std::vector<std::pair<fs::path, Bytes>> files;

    Bytes footer = tga(2, 2, 24);
    for (char c : std::string("TRUEVISION-XFILE.")) footer.push_back(uint8_t(c));
    Bytes colourMap = tga(2, 1, 24);
    colourMap[1] = 1;
    Bytes rle = tga(2, 1, 32);
    rle[2] = 10;
    files.push_back({"tga/rgb_2x1", tga(2, 1, 24)});
    files.push_back({"tga/rgba_3x2", tga(3, 2, 32)});
    files.push_back({"tga/rgb_2x2_footer", footer});
    files.push_back({"tga/truncated_pixels", truncated(tga(4, 4, 32), 40)});
    files.push_back({"tga/header_only", truncated(tga(1, 1, 24), 18)});
    files.push_back({"tga/colour_map", colourMap});
    files.push_back({"tga/rle", rle});
    files.push_back({"tga/depth_16", tga(2, 2, 16)});
    files.push_back({"tga/huge_claim", truncated(tga(65535, 65535, 32), 64)});
    Bytes topRowFirst = tga(3, 2, 32);
    topRowFirst[17] = 0x28;
    files.push_back({"tga/top_row_first", topRowFirst});

    const Bytes small = scriptedModule(8, 2);
    const Bytes jumps = jumpingModule();
    for (const char* target : {"xm_script", "song_load"}) {
        const fs::path dir = target;
        files.push_back({dir / "scripted", small});
        files.push_back({dir / "jumps", jumps});
        files.push_back({dir / "truncated_pattern", truncated(small, small.size() - 300)});
        files.push_back({dir / "header_only", truncated(small, 80)});
        Bytes zeroPatterns = small;
        zeroPatterns[70] = 0;
        zeroPatterns[71] = 0;
        files.push_back({dir / "zero_patterns", truncated(zeroPatterns, 336)});
        files.push_back({dir / "version_1_02", scriptedModule(8, 2, 0x0102)});
        files.push_back({dir / "version_1_03", scriptedModule(8, 2, 0x0103)});
    }
    files.push_back({"xm_script/not_a_module", Bytes(100, 'Z')});

    for (const auto& [path, bytes] : files) {
        std::error_code error;
        fs::create_directories((root / path).parent_path(), error);
        if (!writeFile(root / path, bytes)) {
            std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", (root / path).c_str());
            return 1;
        }
    }
    return 0;
}
