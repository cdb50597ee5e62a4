// The capture's pictures read back from the GL as RGB, top row first. A show drawn larger
// than the output (supersampling) is filtered down: each output pixel is the mean of the
// block of drawn pixels it covers, so edges come out smooth.
#pragma once
#include <cstdint>
#include <vector>

namespace zuzor {

class OffscreenGl;

// `bgra`: a srcWidth x srcHeight picture, bottom row first (as glReadPixels gives it).
// `rgb`: (srcWidth / factor) x (srcHeight / factor) pixels, top row first, each the rounded
// mean of its factor x factor block.
void filterDown(const uint8_t* bgra, int srcWidth, int srcHeight, int factor, uint8_t* rgb);

class PictureReadback {
  public:
    // Pictures of width x height, drawn `factor` times as large in each direction.
    PictureReadback(int width, int height, int factor);
    // Reads the framebuffer of `gl` into `rgb` (width * height * 3 bytes).
    void read(const OffscreenGl& gl, uint8_t* rgb);

  private:
    int width_;
    int height_;
    int factor_;
    std::vector<uint8_t> scratch_;
};

}  // namespace zuzor
