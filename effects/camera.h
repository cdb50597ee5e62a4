// The camera the effects place: a look-at onto the modelview matrix.
#pragma once

namespace zuzor {

struct Camera {
    // Multiplies a look-at onto the current modelview matrix, up vector (0, 1, 0).
    void lookAt(float eyeX, float eyeY, float eyeZ, float centerX, float centerY,
                float centerZ) const;
};

}  // namespace zuzor
