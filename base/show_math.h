// The show's numeric conventions: 3.14-based degrees and truncated ticks.
#pragma once
#include <cstdint>

namespace zuzor {

// Degrees to radians as the show computes them: the factor 3.14, product before quotient.
inline double degToRad(double degrees) {
    return degrees * 3.14 / 180.0;
}

// The whole tick number: truncation toward zero.
inline int32_t wholeTick(float tick) {
    return int32_t(tick);
}

}  // namespace zuzor
