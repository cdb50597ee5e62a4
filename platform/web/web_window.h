// What the page's event loop offers beyond the window contract (platform/window.h): a
// wake-up of the idle callback between animation frames, so the ticks keep their 50 ms
// phase without the page's one thread ever sleeping.
#pragma once

namespace zuzor {

// Calls the idle callback again in about `ms` milliseconds, besides once per animation
// frame. A later request replaces an earlier one.
void wakeIdleIn(double ms);

// Sends what was drawn outside a display callback to the canvas (the display callback's
// frames go by themselves).
void showDrawnPicture();
// Sends it and waits until the GPU has drawn it (one pixel read back): for timing draws.
void waitForDrawnPicture();

// The size of the drawing buffer, in pixels: the show's picture at 800x600.
inline constexpr int webCanvasWidth = 800;
inline constexpr int webCanvasHeight = 600;

}  // namespace zuzor
