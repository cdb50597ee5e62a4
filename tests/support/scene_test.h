// A test fixture for effects drawn into a fresh scene: skipped without GL, otherwise the
// demo's set-up, cleared buffers and the identity on the modelview matrix.
#pragma once
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "tests/support/scene_fixture.h"

namespace zuzor {

struct SceneTest : ::testing::Test {
    SceneFixture scene;
    void SetUp() override {
        REQUIRE_GL(scene.gl);
        scene.init();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
    }
    DemoState& s() { return *scene.state; }
};

}  // namespace zuzor
