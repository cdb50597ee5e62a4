// The capture's frames read back from the GL as RGB, top row first. The GL draws the 4:3
// picture alone; a frame of another shape gets it centred between black bars here, which
// keeps the renderer's fast full-surface clears. A picture drawn larger than its place in
// the frame (supersampling) is filtered down: each pixel is the mean of the block of drawn
// pixels it covers, so edges come out smooth.
#pragma once
#include <cstdint>
#include <vector>

#include "base/picture_rect.h"

namespace zuzor {

class OffscreenGl;

// `bgra`: a srcWidth x srcHeight picture, bottom row first (as glReadPixels gives it).
// `rgb`: (srcWidth / factor) x (srcHeight / factor) pixels, top row first, each the rounded
// mean of its factor x factor block.
void filterDown(const uint8_t* bgra, int srcWidth, int srcHeight, int factor, uint8_t* rgb);

class PictureReadback {
  public:
    // Frames of frameWidth x frameHeight with the picture at `picture`, drawn `factor`
    // times as large in each direction.
    PictureReadback(int frameWidth, int frameHeight, const PictureRect& picture, int factor);
    // Reads the picture from `gl` into `frame` (frameWidth * frameHeight * 3 bytes).
    void read(const OffscreenGl& gl, uint8_t* frame);

  private:
    int frameWidth_;
    int frameHeight_;
    PictureRect picture_;
    int factor_;
    bool whole_;  // the picture fills the frame
    std::vector<uint8_t> pixels_;
    std::vector<uint8_t> scratch_;
};

}  // namespace zuzor
