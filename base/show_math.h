// Helpers every layer shares: the 2D overlay bracket, camera placement, the one random
// sequence of the run, and the numeric conventions (3.14-based degrees, truncation).
#pragma once
#include <cstdint>

namespace zuzor {

// Opens an orthographic view of the given rectangle for 2D drawing; pair with endOverlay2D.
void beginOverlay2D(float left, float right, float bottom, float top);
void endOverlay2D();

struct Camera {
    // Multiplies a look-at onto the current modelview matrix, up vector (0, 1, 0).
    void lookAt(float eyeX, float eyeY, float eyeZ, float centerX, float centerY,
                float centerZ) const;
};

// State of the shared pseudo-random sequence; starts at 1 and is never reseeded.
extern uint32_t randomState;

// Next value of the shared sequence, 0..32767. The sequence is part of the show.
int32_t nextRandom();

// Degrees to radians as the show computes them: the factor 3.14, product before quotient.
inline double degToRad(double degrees) {
    return degrees * 3.14 / 180.0;
}

// The whole tick number: truncation toward zero.
inline int32_t wholeTick(float tick) {
    return int32_t(tick);
}

}  // namespace zuzor
