// The show drawn into a part of its surface: the 4:3 picture inside a surface of another
// shape, black bars around it.
#pragma once
#include "base/picture_rect.h"

namespace zuzor {

// Clears the whole surface black, then confines the show's drawing to `picture`: the
// viewport on it and, when it leaves bars, the scissor test, so that the frame's own clears
// (white) stay inside. Needs a current GL context; run it after initScene. The clear colour
// is left as the show set it.
void confinePicture(const PictureRect& picture, int surfaceWidth, int surfaceHeight);

}  // namespace zuzor
