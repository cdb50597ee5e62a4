// The show's picture on a window or screen of any size: always 4:3, the largest centred
// rectangle, black around it. The show is drawn at most 800x600, the size of its own mode;
// on a larger screen it is drawn at 800x600 in a corner of the back buffer and that image
// is scaled up to the screen, so a big screen costs the software renderer no more than
// the show's own mode does.
#pragma once
#include "base/picture_rect.h"

namespace zuzor {

class ScreenFit {
  public:
    // The show's own size, up to which it is drawn directly.
    static constexpr int showWidth = 800;
    static constexpr int showHeight = 600;

    // The window's size, from the window edge.
    void resize(int width, int height);
    // Before the frame: the viewport (and where needed the scissor) the show draws in.
    void beginFrame();
    // After the frame: the bars, and the scaled picture when the show was drawn in a corner.
    // Leaves every piece of GL state the frame left, for the next frame.
    void endFrame();

    bool scaled() const { return scaled_; }
    const PictureRect& picture() const { return picture_; }

  private:
    int width_ = showWidth;
    int height_ = showHeight;
    PictureRect picture_{0, 0, showWidth, showHeight};
    bool scaled_ = false;
    bool bars_ = false;
    unsigned texture_ = 0;  // the show's picture, for the scaled path
};

}  // namespace zuzor
