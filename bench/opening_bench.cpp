// Cost of the opening scene: the CPU time of the voxel lattice's rebuild, and the time to
// draw the field and the whole opening frame (field, flash panels, side bars) at 800x600 on
// the offscreen context with Mesa's software renderer (LIBGL_ALWAYS_SOFTWARE=1). Every
// benchmark is repeated; the aggregates give the median and the max over repetitions, and
// the per-frame counters the median and max frame within a repetition, after warm-up.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

#include "base/show_math.h"
#include "bench/bench_scene.h"
#include "demo/demo_state.h"
#include "demo/frame_loop.h"

using namespace zuzor;

namespace {

constexpr int repetitions = 10;
constexpr int framesPerRepetition = 100;
constexpr int warmUpFrames = 20;

double maxOf(const std::vector<double>& values) {
    return *std::max_element(values.begin(), values.end());
}

void BM_VoxelRebuild(benchmark::State& bench) {
    auto field = std::make_unique<VoxelField>();
    field->init();
    int32_t t = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        field->update(++t);
        bench.ResumeTiming();
        field->lattice.rebuild();
        benchmark::DoNotOptimize(field->lattice.vertices);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_VoxelRebuild)
    ->Unit(benchmark::kMillisecond)
    ->MinWarmUpTime(0.2)
    ->Repetitions(repetitions)
    ->ComputeStatistics("max", maxOf)
    ->ReportAggregatesOnly(true);

struct OpeningScene : BenchScene {
    void advance() { runTick(state(), scene.hooks); }
};

// Times one draw per tick, waiting for the GL to finish each frame.
template <typename Draw>
void drawEachTick(benchmark::State& bench, Draw draw, void (*prepare)(DemoState&) = nullptr) {
    OpeningScene scene;
    if (!scene.ok) {
        bench.SkipWithError("no offscreen OpenGL context");
        return;
    }
    if (prepare) prepare(scene.state());
    auto frame = [&] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        draw(scene.state());
        glFinish();
    };
    for (int i = 0; i < warmUpFrames; ++i) {
        scene.advance();
        frame();
    }
    std::vector<double> frameMs;
    frameMs.reserve(framesPerRepetition);
    for (auto _ : bench) {
        bench.PauseTiming();
        scene.advance();
        bench.ResumeTiming();
        auto start = std::chrono::steady_clock::now();
        frame();
        frameMs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(frameMs.begin(), frameMs.end());
    bench.counters["frame_median_ms"] = frameMs[frameMs.size() / 2];
    bench.counters["frame_max_ms"] = frameMs.back();
}

// The field as drawn in a frame: clear, camera, rebuild, lattice and outline.
void BM_VoxelFieldDraw(benchmark::State& bench) {
    drawEachTick(bench, [](DemoState& s) { s.voxelField.draw(s.camera, s.tick); });
}

// The lattice's 8,000 squares alone, without the rebuild: what the renderer spends.
void BM_VoxelQuadsOnly(benchmark::State& bench) {
    drawEachTick(
        bench,
        [](DemoState& s) {
            glVertexPointer(3, GL_FLOAT, 0, s.voxelField.lattice.vertices);
            glColor4f(0, 0, 0, 0.2f);
            glEnable(GL_BLEND);
            s.voxelField.lattice.drawQuads();
            glDisable(GL_BLEND);
        },
        [](DemoState& s) { s.voxelField.lattice.rebuild(); });
}

// The opening frame as the demo draws it, with a flash lit on every fourth tick.
void BM_OpeningFrame(benchmark::State& bench) {
    drawEachTick(bench, [](DemoState& s) {
        if (wholeTick(s.tick) % 4 == 0) s.flashPanels.pulse[wholeTick(s.tick) / 4 % 4] = 1.0f;
        drawFrame(s);
    });
}

void registerFrameBenchmark(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(framesPerRepetition)
        ->Repetitions(repetitions)
        ->ComputeStatistics("max", maxOf)
        ->ReportAggregatesOnly(true);
}
BENCHMARK(BM_VoxelFieldDraw)->Apply(registerFrameBenchmark);
BENCHMARK(BM_VoxelQuadsOnly)->Apply(registerFrameBenchmark);
BENCHMARK(BM_OpeningFrame)->Apply(registerFrameBenchmark);

}  // namespace
