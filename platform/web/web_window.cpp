// The window edge in the browser: the page's canvas with a WebGL 2 context under the GL
// subset of platform/web/gl, the browser's animation frames as the main loop, a timer for
// the idle callback between them, the keyboard of the document, and full screen left on
// the way out. The drawing buffer is the show's 800x600; the page scales it to the largest
// centred 4:3 rectangle.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>

#include "platform/web/gl/webgl_calls.h"

#include "platform/web/gl/gl_state.h"
#include "platform/web/gl/webgl_batch.h"
#include "platform/web/web_window.h"
#include "platform/window.h"

namespace zuzor {

namespace {

struct WebWindow {
    WindowCallbacks callbacks{};
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    bool redisplay = false;
    bool open = false;
    long wakeTimer = 0;
};

WebWindow window;

void onAnimationFrame() {
    window.callbacks.idle();
    if (!window.redisplay) return;
    window.redisplay = false;
    window.callbacks.display();
    webgl::flushBatch();
}

void onWakeTimer(void*) {
    window.wakeTimer = 0;
    window.callbacks.idle();
}

// A timer comes a millisecond or more late, and later still on a busy page; the last
// stretch before a tick goes through messages to the page itself, which come at once, so
// the tick is not late for the wait. The page's other events run between the messages.
// clang-format off
EM_JS(void, postWakeMessage, (), {
    if (!Module.zuzorWakeChannel) {
        Module.zuzorWakeChannel = new MessageChannel();
        Module.zuzorWakeChannel.port1.onmessage = () => Module._zuzor_web_wake();
    }
    Module.zuzorWakeChannel.port2.postMessage(0);
});
// clang-format on

// Below this the idle callback is called again through a message rather than a timer.
constexpr double timerSlackMs = 2.0;

EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    if (event->keyCode == 27) {
        window.callbacks.keyboard(27);
        return EM_TRUE;
    }
    if (event->key[0] != '\0' && event->key[1] == '\0')
        window.callbacks.keyboard(static_cast<unsigned char>(event->key[0]));
    return EM_FALSE;
}

}  // namespace

void openWindow(int&, char**, const WindowCallbacks& callbacks, bool) {
    window.callbacks = callbacks;
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.premultipliedAlpha = EM_FALSE;
    // The page's stills are read back from the canvas after the frame was shown.
    attributes.preserveDrawingBuffer = EM_TRUE;
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    emscripten_set_canvas_element_size("#canvas", webCanvasWidth, webCanvasHeight);
    window.context = emscripten_webgl_create_context("#canvas", &attributes);
    if (window.context <= 0) {
        std::fprintf(stderr, "zuzor: this browser offers no WebGL 2\n");
        return;
    }
    emscripten_webgl_make_context_current(window.context);
    webgl::initBatch();
    webgl::initRasterState(webCanvasWidth, webCanvasHeight);
    window.open = true;
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, onKeyDown);
    if (callbacks.reshape) callbacks.reshape(webCanvasWidth, webCanvasHeight);
}

void showDrawnPicture() {
    webgl::flushBatch();
}

void waitForDrawnPicture() {
    webgl::flushBatch();
    unsigned char pixel[4];
    emscripten_glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
}

void requestRedisplay() {
    window.redisplay = true;
}

void wakeIdleIn(double ms) {
    if (window.wakeTimer != 0) emscripten_clear_timeout(window.wakeTimer);
    window.wakeTimer = 0;
    if (ms <= timerSlackMs)
        postWakeMessage();
    else
        window.wakeTimer = emscripten_set_timeout(onWakeTimer, ms - timerSlackMs, nullptr);
}

// Never returns: the page's event loop calls the frames from here on.
void runMainLoop() {
    emscripten_set_main_loop(onAnimationFrame, 0, 1);
}

void closeWindow() {
    if (!window.open) return;
    window.open = false;
    emscripten_exit_fullscreen();
}

}  // namespace zuzor

extern "C" EMSCRIPTEN_KEEPALIVE void zuzor_web_wake() {
    zuzor::window.callbacks.idle();
}
