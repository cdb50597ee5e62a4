// The camera over the GLU's look-at.
#include "effects/camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace zuzor {

void Camera::lookAt(float eyeX, float eyeY, float eyeZ, float centerX, float centerY,
                    float centerZ) const {
    gluLookAt(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, 0.0, 1.0, 0.0);
}

}  // namespace zuzor
