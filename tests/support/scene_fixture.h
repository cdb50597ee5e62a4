// A scene as the demo sets it up, without music: an offscreen 800x600 context, a fresh
// DemoState with its objects initialised, the fixed GL state, and the full-window viewport
// that the toolkit's default reshape gives the demo's window.
#pragma once
#include <GL/gl.h>

#include <memory>

#include "shell/demo_state.h"
#include "shell/frame_loop.h"
#include "shell/shell_hooks.h"
#include "tests/support/gl_context.h"

struct RecordingHooks final : ShellHooks {
    int redraws = 0;
    int shutdowns = 0;
    void requestRedraw() override { ++redraws; }
    void shutdown() override { ++shutdowns; }
};

struct SceneFixture {
    OffscreenGl gl;
    std::unique_ptr<DemoState> state = std::make_unique<DemoState>();
    RecordingHooks hooks;

    // Call after checking gl.ok().
    void init() {
        initSceneObjects(*state);
        setFixedGlState();
        glViewport(0, 0, gl.width(), gl.height());
    }
};
