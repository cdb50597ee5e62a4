// CPU cost of each effect's per-tick update, the part of the tick body that is not the
// shell's own (the voxel field's rebuild is measured with the opening scene).
#include <benchmark/benchmark.h>

#include <memory>

#include "demo/demo_state.h"

using namespace zuzor;

namespace {

std::unique_ptr<DemoState> initialised() {
    auto s = std::make_unique<DemoState>();
    s->ringTower.init(s->towerFlash);
    s->blobGrid.init();
    return s;
}

void BM_RingTowerUpdate(benchmark::State& bench) {
    auto s = initialised();
    for (auto _ : bench) {
        s->ringTower.update();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RingTowerUpdate);

void BM_BlobGridUpdate(benchmark::State& bench) {
    auto s = initialised();
    int32_t n = 0;
    for (auto _ : bench) {
        ++n;
        s->blobGrid.update(n, n + 180);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BlobGridUpdate);

// The warp scene's init loads its sprite; its update needs none of it.
void BM_WarpSceneUpdate(benchmark::State& bench) {
    auto s = std::make_unique<DemoState>();
    for (auto _ : bench) {
        s->warpScene.update();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_WarpSceneUpdate);

}  // namespace
