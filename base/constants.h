// Values the whole run shares: the mixing rate of the music and the names of the show's
// data files, written as the show writes them ('\\' between folder and file; see
// base/host_path.h for the host's form).
#pragma once

namespace zuzor {

// Frames per second of every rendered sound: the output, the capture, the tools.
inline constexpr int mixRate = 44100;

inline constexpr char moduleFile[] = "Data\\ZUZOR.XM";
inline constexpr char logoFile[] = "Data\\drell.tga";
inline constexpr char spriteFile[] = "Data\\korvane.tga";

}  // namespace zuzor
