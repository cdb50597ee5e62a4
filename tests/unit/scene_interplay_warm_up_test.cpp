// The start-up warm-up leaves nothing behind that a frame could show.
#include "demo/effects_warm_up.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "demo/demo_state.h"
#include "demo/sync_codes.h"
#include "demo/sync_events.h"
#include "tests/support/scene_fixture.h"

using namespace zuzor;

namespace {

struct GlSnapshot {
    std::vector<GLfloat> floats;
    std::vector<GLint> ints;
    std::vector<GLvoid*> pointers;

    static GlSnapshot take() {
        GlSnapshot snap;
        auto addFloats = [&](GLenum name, int count) {
            std::vector<GLfloat> v(count);
            glGetFloatv(name, v.data());
            snap.floats.insert(snap.floats.end(), v.begin(), v.end());
        };
        addFloats(GL_MODELVIEW_MATRIX, 16);
        addFloats(GL_PROJECTION_MATRIX, 16);
        addFloats(GL_CURRENT_COLOR, 4);
        GLfloat light[4];
        glGetLightfv(GL_LIGHT0, GL_POSITION, light);
        snap.floats.insert(snap.floats.end(), light, light + 4);
        for (GLenum name : {GL_SHADE_MODEL, GL_MATRIX_MODE, GL_BLEND_SRC, GL_BLEND_DST,
                            GL_TEXTURE_BINDING_2D, GL_DEPTH_FUNC}) {
            GLint value = 0;
            glGetIntegerv(name, &value);
            snap.ints.push_back(value);
        }
        for (GLenum name : {GL_DEPTH_TEST, GL_BLEND, GL_LIGHTING, GL_LIGHT0, GL_TEXTURE_2D,
                            GL_NORMAL_ARRAY, GL_VERTEX_ARRAY, GL_COLOR_MATERIAL})
            snap.ints.push_back(glIsEnabled(name));
        for (GLenum name : {GL_VERTEX_ARRAY_POINTER, GL_NORMAL_ARRAY_POINTER}) {
            GLvoid* pointer = nullptr;
            glGetPointerv(name, &pointer);
            snap.pointers.push_back(pointer);
        }
        return snap;
    }
};

enum class WarmUp { none, beforeFirstFrame, afterFirstFrame };

// The first frames of a show with everything switched on; the GL state around the warm-up.
std::vector<std::vector<uint8_t>> firstFrames(WarmUp warmUp, GlSnapshot* before,
                                              GlSnapshot* after) {
    std::vector<std::vector<uint8_t>> frames;
    SceneFixture scene;
    if (!scene.gl.ok()) return frames;
    scene.init();
    DemoState& s = *scene.state;
    for (uint8_t code : {Z02, Z03, Z04, Z1E, Z1D}) onSyncEvent(s, scene.hooks, code);
    for (int i = 0; i < 7; ++i) onSyncEvent(s, scene.hooks, Z18);
    s.showVoxels = false;
    for (int frame = 0; frame < 3; ++frame) {
        if ((warmUp == WarmUp::beforeFirstFrame && frame == 0) ||
            (warmUp == WarmUp::afterFirstFrame && frame == 1)) {
            const uint32_t sequence = s.random.state();
            *before = GlSnapshot::take();
            warmUpEffects(s);
            *after = GlSnapshot::take();
            EXPECT_EQ(s.random.state(), sequence);
            EXPECT_TRUE(s.towerFlash);
        }
        drawFrame(s);
        frames.push_back(scene.gl.readPixels());
        runTick(s, scene.hooks);
    }
    return frames;
}

// The demo warms up after its first frame, the capture and the tests before it.
TEST(EffectsWarmUp, LeavesTheStateAndTheFramesUnchangedBeforeOrAfterTheFirstFrame) {
    {
        OffscreenGl probe;
        REQUIRE_GL(probe);
    }
    const auto plain = firstFrames(WarmUp::none, nullptr, nullptr);
    for (WarmUp when : {WarmUp::beforeFirstFrame, WarmUp::afterFirstFrame}) {
        GlSnapshot before, after;
        const auto warmed = firstFrames(when, &before, &after);
        const char* name = when == WarmUp::beforeFirstFrame ? "before" : "after";
        EXPECT_EQ(after.floats, before.floats) << name;
        EXPECT_EQ(after.ints, before.ints) << name;
        EXPECT_EQ(after.pointers, before.pointers) << name;
        ASSERT_EQ(warmed.size(), plain.size());
        for (size_t frame = 0; frame < plain.size(); ++frame)
            EXPECT_TRUE(warmed[frame] == plain[frame]) << name << ", frame " << frame;
    }
}

}  // namespace
