// The TGA loader's entry point: host path, file, decode, upload.
#include "assets/tga_image.h"

#include <cstdio>

#include "assets/tga_decode.h"
#include "assets/tga_upload.h"

bool toHostPath(const char* path, char* out, size_t outSize) {
    size_t i = 0;
    for (; path[i] != '\0'; ++i) {
        if (i + 1 >= outSize) return false;
        out[i] = path[i] == '\\' ? '/' : path[i];
    }
    if (outSize == 0) return false;
    out[i] = '\0';
    return true;
}

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
