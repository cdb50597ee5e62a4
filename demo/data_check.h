// The show's three data files and, for a maker, why one of them would not be used: the
// data check tool and the demo's reload both say it in these words.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zuzor {

enum class DataKind { module, logo, sprite };

struct DataFile {
    DataKind kind;
    const char* name;  // the file's name inside the data folder
};

// The module, the logo and the sprite, as the demo reads them from Data/.
extern const DataFile showDataFiles[3];

// True when the demo would use these bytes for a file of this kind; otherwise false with a
// one-line reason. The module goes through the same script reader and mixer as the demo.
bool checkDataBytes(DataKind kind, const std::vector<uint8_t>& bytes, std::string& reason);

// The same for a file on disk; a file that cannot be read is refused too.
bool checkDataFile(DataKind kind, const std::string& path, std::string& reason);

}  // namespace zuzor
