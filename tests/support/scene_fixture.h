// A scene as the demo starts it, without music: an offscreen 800x600 context, a fresh show
// through the demo's own start, and the full-window viewport that the toolkit's default
// reshape gives the demo's window.
#pragma once
#include <memory>

#include "demo/demo_state.h"
#include "demo/frame_loop.h"
#include "demo/shell_hooks.h"
#include "demo/show.h"
#include "tests/support/gl_context.h"

namespace zuzor {

struct RecordingHooks final : ShellHooks {
    int redraws = 0;
    int shutdowns = 0;
    void requestRedraw() override { ++redraws; }
    void shutdown() override { ++shutdowns; }
};

struct SceneFixture {
    OffscreenGl gl;
    Show show;
    DemoState* state = nullptr;
    RecordingHooks hooks;

    // Call after checking gl.ok(). Without the warm-up, which leaves nothing behind that
    // a drawing could see and would only make every test slower.
    void init() {
        SceneStart start;
        start.warmUp = false;
        start.viewportWidth = gl.width();
        start.viewportHeight = gl.height();
        start.music = false;
        show.begin(start);
        state = &show.state();
    }
};

}  // namespace zuzor
