// The offscreen GL context for tests, with a guard that skips a test where none can be made.
#pragma once
#include "platform/offscreen_gl.h"

namespace zuzor {

// Skips the current test when no offscreen context can be made.
#define REQUIRE_GL(gl)                                                      \
    do {                                                                    \
        if (!(gl).ok()) GTEST_SKIP() << "no offscreen OpenGL context here"; \
    } while (0)

}  // namespace zuzor
