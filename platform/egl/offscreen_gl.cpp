// Offscreen GL through EGL: the surfaceless platform first, the device platform second.
#include "platform/offscreen_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstring>

namespace zuzor {

namespace {

EGLDisplay openDisplay() {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay) {
        EGLDisplay display =
            getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr)) return display;
        auto queryDevices =
            reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
        EGLDeviceEXT devices[8];
        EGLint count = 0;
        if (queryDevices && queryDevices(8, devices, &count) && count > 0) {
            display = getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[0], nullptr);
            if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr))
                return display;
        }
    }
    return EGL_NO_DISPLAY;
}

}  // namespace

OffscreenGl::OffscreenGl(int width, int height) : width_(width), height_(height) {
    EGLDisplay display = openDisplay();
    if (display == EGL_NO_DISPLAY) return;
    display_ = display;
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_ALPHA_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       24,
                                       EGL_NONE};
    EGLConfig configs[64];
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, configs, 64, &count) || count == 0) return;
    // Take a config with exactly 8 bits a channel, so pixel values are what the GL computed.
    EGLConfig config = nullptr;
    for (EGLint i = 0; i < count && !config; ++i) {
        EGLint r, g, b, a;
        eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &r);
        eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &g);
        eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &b);
        eglGetConfigAttrib(display, configs[i], EGL_ALPHA_SIZE, &a);
        if (r == 8 && g == 8 && b == 8 && a == 8) config = configs[i];
    }
    if (!config) return;
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) return;
    surface_ = surface;
    if (!eglBindAPI(EGL_OPENGL_API)) return;
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) return;
    context_ = context;
    if (!eglMakeCurrent(display, surface, surface, context)) return;
    glViewport(0, 0, width, height);
    ok_ = true;
}

OffscreenGl::~OffscreenGl() {
    if (!display_) return;
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context_) eglDestroyContext(display_, context_);
    if (surface_) eglDestroySurface(display_, surface_);
    eglTerminate(display_);
}

std::vector<uint8_t> OffscreenGl::readPixels() const {
    std::vector<uint8_t> pixels(size_t(width_) * height_ * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glFinish();
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

OffscreenGl::Rgba OffscreenGl::pixel(int x, int y) const {
    Rgba rgba{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glFinish();
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &rgba);
    return rgba;
}

void OffscreenGl::readRgbTopDown(uint8_t* out, uint8_t* scratch) const {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, scratch);
    const size_t row = size_t(width_) * 3;
    for (int y = 0; y < height_; ++y)
        std::memcpy(out + size_t(y) * row, scratch + size_t(height_ - 1 - y) * row, row);
}

}  // namespace zuzor
