// Why the loader refuses a TGA file, in words, for the tools that tell a maker (the data
// check, the demo's reload). The loader itself stays silent; this says what it would do.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace zuzor {

// True when decodeTga accepts the bytes; otherwise false with a reason in `reason`, such as
// "image ID field of 42 bytes (only ID length 0 is read)".
bool checkTga(const uint8_t* data, size_t size, std::string& reason);

}  // namespace zuzor
