// Values the whole run shares: the mixing rate of the music and the names of the show's
// data files, each written once. The show names a file the Windows way ('\\' between folder
// and file; see base/host_path.h for the host's form).
#pragma once
#include <cstddef>

namespace zuzor {

// Frames per second of every rendered sound: the output, the capture, the tools.
inline constexpr int mixRate = 44100;

// The data folder below the working directory, and its files.
inline constexpr char dataFolder[] = "Data";
inline constexpr char moduleName[] = "ZUZOR.XM";
inline constexpr char logoName[] = "drell.tga";
inline constexpr char spriteName[] = "korvane.tga";

// A file of the data folder as the show names it: the folder, '\\', the file.
template <size_t N>
struct ShowFileName {
    char text[sizeof dataFolder + N] = {};
    constexpr explicit ShowFileName(const char (&name)[N]) {
        size_t at = 0;
        for (size_t i = 0; dataFolder[i] != '\0'; ++i) text[at++] = dataFolder[i];
        text[at++] = '\\';
        for (size_t i = 0; i < N; ++i) text[at++] = name[i];
    }
};

inline constexpr ShowFileName moduleFileName{moduleName};
inline constexpr ShowFileName logoFileName{logoName};
inline constexpr ShowFileName spriteFileName{spriteName};
inline constexpr const char* moduleFile = moduleFileName.text;
inline constexpr const char* logoFile = logoFileName.text;
inline constexpr const char* spriteFile = spriteFileName.text;

}  // namespace zuzor
