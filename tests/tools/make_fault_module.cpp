// make_fault_module: writes the modules at the edges of what XM holds, for the end-to-end
// fault tests.
//   largest OUT        32 channels, 256 patterns of 256 rows, 256 orders; Z14 on the last
//                      channel of the first row and Z15 on the last row of the last order
//   zero-patterns OUT  a well-formed header and instrument with no pattern at all
#include <cstdio>
#include <cstring>
#include <vector>

#include "tests/support/test_modules.h"

using namespace zuzor;

namespace {

constexpr size_t headerSizeAt = 60;
constexpr size_t patternCountAt = 70;

std::vector<uint8_t> largest() {
    TestModuleShape shape;
    shape.rows = 256;
    shape.orders = 256;
    shape.scriptChannels = 31;
    XmModule module = makeTestModule(shape);
    putScriptEvent(module, 0, 0, 31, 0x14);
    putScriptEvent(module, 255, 255, 31, 0x15);
    return testModuleBytes(module);
}

std::vector<uint8_t> zeroPatterns() {
    TestModuleShape shape;
    std::vector<uint8_t> bytes = testModuleBytes(makeTestModule(shape));
    const auto u32 = [&](size_t at) {
        return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
               uint32_t(bytes[at + 3]) << 24;
    };
    const size_t patternAt = headerSizeAt + u32(headerSizeAt);
    const size_t patternBytes = u32(patternAt) + (bytes[patternAt + 7] | bytes[patternAt + 8] << 8);
    bytes.erase(bytes.begin() + long(patternAt), bytes.begin() + long(patternAt + patternBytes));
    bytes[patternCountAt] = 0;
    bytes[patternCountAt + 1] = 0;
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<uint8_t> bytes;
    if (argc == 3 && std::strcmp(argv[1], "largest") == 0)
        bytes = largest();
    else if (argc == 3 && std::strcmp(argv[1], "zero-patterns") == 0)
        bytes = zeroPatterns();
    else {
        std::fprintf(stderr, "usage: make_fault_module largest|zero-patterns OUT.xm\n");
        return 2;
    }
    FILE* file = std::fopen(argv[2], "wb");
    bool ok = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file) ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "make_fault_module: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
