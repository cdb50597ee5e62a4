// The 2D overlay bracket the overlays draw in.
#pragma once

namespace zuzor {

// Opens an orthographic view of the given rectangle for 2D drawing; pair with endOverlay2D.
void beginOverlay2D(float left, float right, float bottom, float top);
void endOverlay2D();

}  // namespace zuzor
