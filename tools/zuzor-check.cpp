// zuzor-check: whether the demo would use each file of a data folder, and if not, why.
//   zuzor-check [DIR]   (default Data)
// One line per file, "DIR/NAME: ok" or "DIR/NAME: refused: reason"; exit code 1 when any
// file is refused, 2 for a wrong command line.
#include <cstdio>
#include <string>

#include "base/constants.h"
#include "demo/data_check.h"

using namespace zuzor;

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: zuzor-check [DIR]   (default Data)\n");
        return 2;
    }
    const std::string dir = argc == 2 ? argv[1] : dataFolder;
    bool allUsed = true;
    for (const DataFile& file : showDataFiles) {
        const std::string path = dir + "/" + file.name;
        std::string reason;
        if (checkDataFile(file.kind, path, reason)) {
            std::printf("%s: ok\n", path.c_str());
        } else {
            std::printf("%s: refused: %s\n", path.c_str(), reason.c_str());
            allUsed = false;
        }
    }
    return allUsed ? 0 : 1;
}
