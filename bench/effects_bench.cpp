// Drawing cost of the ring tower, blob grid and warp scene, alone and in a whole frame with
// every switch on, on the offscreen context (LIBGL_ALWAYS_SOFTWARE=1 for Mesa's software
// renderer). Each iteration draws one frame at the next tick of the show's range and waits
// for the GL to finish it; the cold-start case measures the first frames of a new context.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "base/show_math.h"
#include "bench/bench_scene.h"
#include "demo/demo_state.h"
#include "demo/effects_warm_up.h"
#include "demo/frame_loop.h"
#include "demo/sync_codes.h"
#include "demo/sync_events.h"

using namespace zuzor;

namespace {

// About four minutes of show at twenty ticks a second.
constexpr int showTicks = 4800;

struct EffectsScene : BenchScene {
    // Everything on: seven copies, the lit pass, all four effects.
    void switchEverythingOn() {
        for (uint8_t code : {Z02, Z03, Z04, Z05, Z1E}) onSyncEvent(state(), scene.hooks, code);
        for (int i = 0; i < 7; ++i) onSyncEvent(state(), scene.hooks, Z18);
    }
    // Steps through the show's range in strides, so a few hundred frames sample all of it.
    void advance(int stride = 12) {
        state().tick = float((wholeTick(state().tick) - 1 + stride) % showTicks);
        runTick(state(), scene.hooks);
    }
};

// CPU time of the whole process, the GL's rasterizer threads included: the work a frame
// costs, which other load on the machine disturbs less than the wall-clock time.
double processCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Draw>
void drawEachTick(benchmark::State& bench, EffectsScene& scene, Draw draw) {
    if (!scene.ok) {
        bench.SkipWithError("no offscreen OpenGL context");
        return;
    }
    std::vector<double> frameMs, frameCpuMs;
    for (auto _ : bench) {
        bench.PauseTiming();
        scene.advance();
        bench.ResumeTiming();
        double cpuStart = processCpuMs();
        auto start = std::chrono::steady_clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        draw(scene.state());
        glFinish();
        frameMs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        frameCpuMs.push_back(processCpuMs() - cpuStart);
    }
    bench.counters["median_ms"] = median(frameMs);
    bench.counters["max_ms"] = *std::max_element(frameMs.begin(), frameMs.end());
    bench.counters["median_cpu_ms"] = median(frameCpuMs);
}

void BM_RingTower(benchmark::State& bench) {
    EffectsScene scene;
    if (scene.ok) scene.switchEverythingOn();
    drawEachTick(bench, scene, [](DemoState& s) {
        s.ringTower.bindArrays();
        s.ringTower.draw(s.camera, s.towerSettings(), wholeTick(s.tick));
    });
}
BENCHMARK(BM_RingTower)->Unit(benchmark::kMillisecond)->Iterations(400);

void BM_BlobGrid(benchmark::State& bench) {
    EffectsScene scene;
    drawEachTick(bench, scene, [](DemoState& s) { s.blobGrid.draw(); });
}
BENCHMARK(BM_BlobGrid)->Unit(benchmark::kMillisecond)->Iterations(400);

void BM_WarpScene(benchmark::State& bench) {
    EffectsScene scene;
    if (scene.ok) scene.switchEverythingOn();
    drawEachTick(bench, scene, [](DemoState& s) {
        s.warpScene.draw(s.camera, s.ringTower, s.towerSettings(), wholeTick(s.tick), s.random);
    });
}
BENCHMARK(BM_WarpScene)->Unit(benchmark::kMillisecond)->Iterations(400);

// The swarm seen through the tower's camera: tower on, grid off.
void BM_TowerThenWarp(benchmark::State& bench) {
    EffectsScene scene;
    if (scene.ok) scene.switchEverythingOn();
    drawEachTick(bench, scene, [](DemoState& s) {
        int32_t t = wholeTick(s.tick);
        s.ringTower.bindArrays();
        s.ringTower.draw(s.camera, s.towerSettings(), t);
        s.warpScene.draw(s.camera, s.ringTower, s.towerSettings(), t, s.random);
    });
}
BENCHMARK(BM_TowerThenWarp)->Unit(benchmark::kMillisecond)->Iterations(400);

void BM_WholeFrameEverythingOn(benchmark::State& bench) {
    EffectsScene scene;
    if (scene.ok) scene.switchEverythingOn();
    drawEachTick(bench, scene, [](DemoState& s) { drawFrame(s); });
}
BENCHMARK(BM_WholeFrameEverythingOn)->Unit(benchmark::kMillisecond)->Iterations(400);

// The same frame when the effects skip the primitives that the voxel field's colour clear
// would erase anyway: what the frame loop can do whenever the voxel field is shown.
void BM_WholeFrameEverythingOnEffectsHidden(benchmark::State& bench) {
    EffectsScene scene;
    if (scene.ok) scene.switchEverythingOn();
    drawEachTick(bench, scene, [](DemoState& s) {
        int32_t t = wholeTick(s.tick);
        bool hidden = s.showVoxels;
        s.ringTower.bindArrays();
        s.ringTower.draw(s.camera, s.towerSettings(), t, hidden);
        s.blobGrid.draw(hidden);
        s.warpScene.draw(s.camera, s.ringTower, s.towerSettings(), t, s.random, hidden);
        s.voxelField.draw(s.camera, s.tick);
        s.flashPanels.bindVertices();
        s.flashPanels.draw();
        s.fadeLayer.draw();
        s.sideBars.draw();
    });
}
BENCHMARK(BM_WholeFrameEverythingOnEffectsHidden)->Unit(benchmark::kMillisecond)->Iterations(400);

// A fresh context compiles its shader variants as new state combinations appear; this
// times the first frames of the show with everything on.
// With argument 1 the effects are warmed up first, and the warm-up's own time is reported.
void BM_ColdStartFirstFrames(benchmark::State& bench) {
    // Averaged over the iterations, each a new context.
    for (const char* name : {"warm_up_ms", "first_frame_ms", "first_20_frames_ms"})
        bench.counters[name] = benchmark::Counter(0.0, benchmark::Counter::kAvgIterations);
    for (auto _ : bench) {
        bench.PauseTiming();
        EffectsScene scene;
        if (!scene.ok) {
            bench.SkipWithError("no offscreen OpenGL context");
            return;
        }
        scene.switchEverythingOn();
        bench.ResumeTiming();
        if (bench.range(0) == 1) {
            auto start = std::chrono::steady_clock::now();
            warmUpEffects(scene.state());
            bench.counters["warm_up_ms"] =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
        }
        double firstMs = 0.0;
        double totalMs = 0.0;
        for (int frame = 0; frame < 20; ++frame) {
            scene.advance(1);
            auto start = std::chrono::steady_clock::now();
            drawFrame(scene.state());
            glFinish();
            double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            if (frame == 0) firstMs = ms;
            totalMs += ms;
        }
        bench.counters["first_frame_ms"] += firstMs;
        bench.counters["first_20_frames_ms"] += totalMs;
    }
}
BENCHMARK(BM_ColdStartFirstFrames)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(0)->Arg(1);

}  // namespace
