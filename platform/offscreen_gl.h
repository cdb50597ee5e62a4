// An offscreen legacy OpenGL context (EGL on Mesa) with an RGBA8 + depth pbuffer, for the
// offline capture, the tests and the benchmarks that render real pixels without a display.
#pragma once
#include <cstdint>
#include <vector>

namespace zuzor {

class OffscreenGl {
  public:
    OffscreenGl(int width = 800, int height = 600);
    ~OffscreenGl();
    OffscreenGl(const OffscreenGl&) = delete;
    OffscreenGl& operator=(const OffscreenGl&) = delete;

    bool ok() const { return ok_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // The framebuffer as RGBA bytes, bottom row first (as glReadPixels gives it).
    std::vector<uint8_t> readPixels() const;
    // One pixel's RGBA, x from the left, y from the bottom.
    struct Rgba {
        uint8_t r, g, b, a;
    };
    Rgba pixel(int x, int y) const;
    // The framebuffer as RGB bytes, top row first (as images and video frames store it),
    // into `out`, which holds width * height * 3 bytes. `scratch` holds as many.
    void readRgbTopDown(uint8_t* out, uint8_t* scratch) const;

  private:
    int width_;
    int height_;
    bool ok_ = false;
    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
};

}  // namespace zuzor
