// One check per kind of data file, each the loader's own test with its reason kept.
#include "demo/data_check.h"

#include "assets/tga_check.h"
#include "base/constants.h"
#include "base/file_bytes.h"
#include "sync/song_renderer.h"

namespace zuzor {

const DataFile showDataFiles[3] = {
    {DataKind::module, moduleName},
    {DataKind::logo, logoName},
    {DataKind::sprite, spriteName},
};

bool checkDataBytes(DataKind kind, const std::vector<uint8_t>& bytes, std::string& reason) {
    if (kind != DataKind::module) return checkTga(bytes.data(), bytes.size(), reason);
    const auto renderer = SongRenderer::create(bytes.data(), bytes.size(), mixRate, false, reason);
    return renderer != nullptr;
}

bool checkDataFile(DataKind kind, const std::string& path, std::string& reason) {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) {
        reason = "cannot be read";
        return false;
    }
    return checkDataBytes(kind, bytes, reason);
}

}  // namespace zuzor
