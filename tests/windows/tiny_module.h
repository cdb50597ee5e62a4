// A tiny XM module made in memory, so the Windows smoke program needs no data file.
#pragma once

#include <cstdint>
#include <vector>

namespace smoke {

// One pattern of 16 rows on two channels, one looped square-wave instrument: a short
// arpeggio, about two seconds at the default tempo.
std::vector<std::uint8_t> makeTinyModule();

}  // namespace smoke
