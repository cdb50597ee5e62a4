// The scene the drawing benchmarks run in: the demo's set-up on Mesa's software renderer.
#pragma once
#include <cstdlib>

#include "tests/support/scene_fixture.h"

namespace zuzor {

struct BenchScene {
    SceneFixture scene;
    bool ok = false;

    BenchScene() {
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
        ok = scene.gl.ok();
        if (ok) scene.init();
    }
    DemoState& state() { return *scene.state; }
};

}  // namespace zuzor
