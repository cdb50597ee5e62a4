// The script's codes: the Zxx parameters that act, named as the score and the timeline
// write them (two hex digits after the Z).
#pragma once
#include <cstdint>

namespace zuzor {

inline constexpr uint8_t Z02 = 0x02;  // ring tower on
inline constexpr uint8_t Z03 = 0x03;  // blob grid on
inline constexpr uint8_t Z04 = 0x04;  // warp scene on
inline constexpr uint8_t Z05 = 0x05;  // voxel field on
inline constexpr uint8_t Z0C = 0x0C;  // ring tower off, flash panels cleared
inline constexpr uint8_t Z0D = 0x0D;  // blob grid off
inline constexpr uint8_t Z0E = 0x0E;  // warp scene off
inline constexpr uint8_t Z0F = 0x0F;  // voxel field off
inline constexpr uint8_t Z14 = 0x14;  // flash upper right
inline constexpr uint8_t Z15 = 0x15;  // flash upper left
inline constexpr uint8_t Z16 = 0x16;  // flash lower right
inline constexpr uint8_t Z17 = 0x17;  // flash lower left
inline constexpr uint8_t Z18 = 0x18;  // tower copies step
inline constexpr uint8_t Z19 = 0x19;  // tower pulse
inline constexpr uint8_t Z1A = 0x1A;  // blob grid reseed
inline constexpr uint8_t Z1C = 0x1C;  // warp pulse
inline constexpr uint8_t Z1D = 0x1D;  // sprite ring restart
inline constexpr uint8_t Z1E = 0x1E;  // tower lit pass toggle
inline constexpr uint8_t Z1F = 0x1F;  // flash decay speed toggle
inline constexpr uint8_t Z20 = 0x20;  // tower camera toggle
inline constexpr uint8_t Z2E = 0x2E;  // logo shown
inline constexpr uint8_t Z64 = 0x64;  // end of the show

}  // namespace zuzor
