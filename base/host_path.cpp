// Windows-style data names on the host's file system.
#include "base/host_path.h"

namespace zuzor {

namespace {

#ifdef _WIN32
constexpr char hostSeparator = '\\';
#else
constexpr char hostSeparator = '/';
#endif

}  // namespace

bool toHostPath(const char* path, char* out, size_t outSize) {
    size_t i = 0;
    for (; path[i] != '\0'; ++i) {
        if (i + 1 >= outSize) return false;
        out[i] = path[i] == '\\' ? hostSeparator : path[i];
    }
    if (outSize == 0) return false;
    out[i] = '\0';
    return true;
}

}  // namespace zuzor
