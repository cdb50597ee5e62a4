// The tick and the idle step: the threshold, the counter, what the first tick hands the
// effects, and where the quit request is acted on.
#include "demo/frame_loop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "demo/demo_state.h"
#include "tests/support/scene_fixture.h"

using namespace zuzor;

namespace {

struct ManualClock final : TimeSource {
    static inline int64_t microseconds = 0;
    bool counterFrequency(int64_t* f) const override {
        *f = 1000000;
        return true;
    }
    int64_t counter() const override { return microseconds; }
    uint32_t tickCountMs() const override { return uint32_t(microseconds / 1000); }
    static const TimeSource* source() {
        static const ManualClock s;
        return &s;
    }
};

// Objects initialised as a show's start does, without GL drawing or music.
std::unique_ptr<DemoState> freshState() {
    auto s = std::make_unique<DemoState>();
    s->flashPanels.init();
    s->blobGrid.init();
    s->voxelField.init();
    s->showVoxels = true;
    ManualClock::microseconds = 1000000;
    s->timer.start(ManualClock::source());
    return s;
}

TEST(IdleStep, RunsATickOnlyAfterMoreThanFiftyMilliseconds) {
    auto s = freshState();
    RecordingHooks hooks;
    EXPECT_FALSE(idleStep(*s, hooks));
    ManualClock::microseconds += 50000;
    EXPECT_FALSE(idleStep(*s, hooks));
    EXPECT_EQ(s->tick, 0.0f);
    EXPECT_EQ(hooks.redraws, 0);
    ManualClock::microseconds += 1;
    EXPECT_TRUE(idleStep(*s, hooks));
    EXPECT_EQ(s->tick, 1.0f);
    EXPECT_EQ(hooks.redraws, 1);
    // The timer restarted at the end of the tick.
    EXPECT_FALSE(idleStep(*s, hooks));
}

TEST(IdleStep, AStallRunsExactlyOneTick) {
    auto s = freshState();
    RecordingHooks hooks;
    ManualClock::microseconds += 7 * 1000000;
    EXPECT_TRUE(idleStep(*s, hooks));
    EXPECT_FALSE(idleStep(*s, hooks));
    EXPECT_EQ(s->tick, 1.0f);
}

TEST(RunTick, FirstTickHandsOneToTheFieldsAndOneEightyOneToTheGrid) {
    auto s = freshState();
    RecordingHooks hooks;
    runTick(*s, hooks);
    // The voxel field's update with t = 1 moves P1 off its start position at once.
    const float* p1 = s->voxelField.lattice.sources[0];
    EXPECT_FLOAT_EQ(p1[0], float(10 - 10 * std::cos(3 * 3.14 / 180)));
    EXPECT_FLOAT_EQ(p1[1], float(10 - 10 * std::sin(3 * 3.14 / 180)));
    EXPECT_FLOAT_EQ(s->voxelField.cameraX, float(40 * std::cos(1 * 3.14 / 180)));
    // The grid's second point runs on the phase t + 180.
    EXPECT_FLOAT_EQ(s->blobGrid.point1[0], float(25 - 10 * std::cos(15 * 1 * 3.14 / 180)));
    EXPECT_FLOAT_EQ(s->blobGrid.point2[0], float(20 - 10 * std::cos(15 * 181 * 3.14 / 180)));
    EXPECT_FLOAT_EQ(s->blobGrid.strength2, float(10 * std::sin(181 * 3.14 / 180)));
}

// Records what the state looked like when the demo was asked to end.
struct QuitProbe final : ShellHooks {
    DemoState* state = nullptr;
    int order = 0;
    int shutdownAt = 0;
    int redrawAt = 0;
    float tickAtShutdown = 0;
    float pulseAtShutdown = 0;
    void requestRedraw() override { redrawAt = ++order; }
    void shutdown() override {
        shutdownAt = ++order;
        tickAtShutdown = state->tick;
        pulseAtShutdown = state->flashPanels.pulse[0];
    }
};

TEST(RunTick, QuitRequestEndsTheDemoAfterTheUpdatesAndBeforeTheRedraw) {
    auto s = freshState();
    s->flashPanels.pulse[0] = 1.0f;
    s->quitRequested = true;
    QuitProbe probe;
    probe.state = s.get();
    runTick(*s, probe);
    EXPECT_EQ(probe.shutdownAt, 1);
    EXPECT_EQ(probe.redrawAt, 2);
    EXPECT_EQ(probe.tickAtShutdown, 1.0f);
    EXPECT_FLOAT_EQ(probe.pulseAtShutdown, float(1.0 - 0.1));
}

TEST(RunTick, WithoutMusicOnlyTheTickMoves) {
    auto s = freshState();
    RecordingHooks hooks;
    for (int i = 0; i < 100; ++i) runTick(*s, hooks);
    EXPECT_EQ(s->tick, 100.0f);
    EXPECT_TRUE(s->showVoxels);
    EXPECT_FALSE(s->showTower || s->showGrid || s->showWarp);
    EXPECT_FALSE(s->logoVisible || s->quitRequested || s->towerFlash || s->towerCameraAlt);
    EXPECT_EQ(s->towerCopies, 0);
    EXPECT_EQ(hooks.shutdowns, 0);
}

TEST(DrawFrame, AllEffectsOffStillClearsAndDrawsTheBars) {
    SceneFixture scene;
    REQUIRE_GL(scene.gl);
    scene.init();
    scene.state->showVoxels = false;
    drawFrame(*scene.state);
    auto centre = scene.gl.pixel(400, 300);
    EXPECT_EQ(centre.r, 255);
    EXPECT_EQ(centre.g, 255);
    EXPECT_EQ(centre.b, 255);
    auto bar = scene.gl.pixel(10, 300);
    EXPECT_EQ(bar.r + bar.g + bar.b, 0);
}

}  // namespace
