// The TGA loader's entry point: host path, file, decode, upload.
#include "assets/tga_image.h"

#include <cstdio>

#include "assets/tga_decode.h"
#include "assets/tga_upload.h"
#include "base/host_path.h"

namespace zuzor {

bool loadTga(TgaImage& image, const char* path) {
    char hostPath[4096];
    if (!path || !toHostPath(path, hostPath, sizeof hostPath)) return false;
    std::FILE* file = std::fopen(hostPath, "rb");
    if (!file) return false;
    bool read = readTga(file, image);
    std::fclose(file);
    if (!read) return false;
    uploadTga(image);
    return true;
}

}  // namespace zuzor
