// An offscreen legacy OpenGL context (EGL on Mesa) with an 800x600 RGBA8 + depth pbuffer,
// for tests and benchmarks that render real pixels.
#pragma once
#include <cstdint>
#include <vector>

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

private:
    int width_;
    int height_;
    bool ok_ = false;
    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
};

// Skips the current test when no offscreen context can be made.
#define REQUIRE_GL(gl)                                                        \
    do {                                                                      \
        if (!(gl).ok()) GTEST_SKIP() << "no offscreen OpenGL context here"; \
    } while (0)
