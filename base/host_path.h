// The show names its files the Windows way ("Data\\ZUZOR.XM"); this maps such a name to
// the host's file system.
#pragma once
#include <cstddef>

namespace zuzor {

// Copies `path` into `out` with every '\\' turned into the host's folder separator: kept
// on Windows, where the show's names are read as written, '/' elsewhere. False when it
// does not fit (with its terminator) in `outSize`.
bool toHostPath(const char* path, char* out, size_t outSize);

}  // namespace zuzor
