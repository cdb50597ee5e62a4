// The shell's own costs: an idle call below the tick threshold, and the tick body.
#include <benchmark/benchmark.h>

#include <memory>

#include "demo/demo_state.h"
#include "demo/frame_loop.h"
#include "tests/support/scene_fixture.h"

using namespace zuzor;

namespace {

std::unique_ptr<DemoState> initialisedState() {
    auto s = std::make_unique<DemoState>();
    s->flashPanels.init();
    s->blobGrid.init();
    s->voxelField.init();
    s->showVoxels = true;
    return s;
}

// What GLUT's idle loop costs between ticks: one timer reading and an empty event queue.
void BM_IdleBelowThreshold(benchmark::State& bench) {
    auto s = initialisedState();
    RecordingHooks hooks;
    s->timer.start();
    // A tick runs every 50 ms of the measurement; against millions of calls it is noise.
    for (auto _ : bench) benchmark::DoNotOptimize(idleStep(*s, hooks));
    bench.counters["ticks"] = double(hooks.redraws);
}
BENCHMARK(BM_IdleBelowThreshold);

// One tick: the counter and every object's update (no drawing).
void BM_TickBody(benchmark::State& bench) {
    auto s = initialisedState();
    RecordingHooks hooks;
    s->timer.start();
    for (auto _ : bench) runTick(*s, hooks);
}
BENCHMARK(BM_TickBody);

}  // namespace
