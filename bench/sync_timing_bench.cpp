// How late sync events reach the demo against the moment their row is heard, polled the
// way the idle callback polls; and how fast a song renders offline for the tools.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "base/clock.h"
#include "platform/sound_output.h"
#include "sync/module_player.h"
#include "sync/song_renderer.h"
#include "tests/support/test_modules.h"

using namespace zuzor;

namespace {

std::vector<uint8_t> busyScript(int speed, int tempo, int rows) {
    TestModuleShape shape;
    shape.speed = speed;
    shape.tempo = tempo;
    shape.rows = rows;
    XmModule module = makeTestModule(shape);
    for (int row = 0; row < rows; ++row) putScriptEvent(module, 0, row, 1, uint8_t(20 + row % 4));
    return testModuleBytes(module);
}

struct Lateness {
    std::vector<double> total;  // applied minus heard
    // The part not explained by the poller itself being away: lateness beyond the gap
    // since the poll before (what a busy machine takes from the main thread).
    std::vector<double> beyondPollGap;
    double previousPollMs = 0.0;
};

void recordLateness(Lateness& l, const HeardEvent& e) {
    const double late = e.pulledAtMs - e.heardAtMs;
    l.total.push_back(late);
    l.beyondPollGap.push_back(std::max(0.0, late - (e.pulledAtMs - l.previousPollMs)));
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

// Argument 0: the silent clock; 1: SDL's dummy device.
void BM_EventLatenessWhilePolling(benchmark::State& state) {
    OutputOptions options;
    if (state.range(0) == 0)
        options.deviceOff = true;
    else
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    configureSoundOutput(options);
    constexpr size_t wanted = 400;
    Lateness lateness;
    lateness.total.reserve(wanted * 2);
    lateness.beyondPollGap.reserve(wanted * 2);
    for (auto _ : state) {
        openSoundOutput(44100);
        std::vector<uint8_t> bytes = busyScript(1, 255, 64);  // a row every 9.8 ms
        SongHandle song = loadSongFromMemory(bytes.data(), bytes.size());
        playSong(song.get());
        const double deadline = monotonicMs() + 20000.0;
        while (lateness.total.size() < wanted && monotonicMs() < deadline) {
            const double now = monotonicMs();
            HeardEvent event;
            while (pollHeardEvent(song.get(), event)) recordLateness(lateness, event);
            lateness.previousPollMs = now;
        }
        song.reset();
        closeSoundOutput();
    }
    if (lateness.total.empty()) {
        state.SkipWithError("no events arrived");
        return;
    }
    const std::vector<double>& t = lateness.total;
    state.counters["events"] = double(t.size());
    state.counters["p50_ms"] = percentile(t, 0.50);
    state.counters["p99_ms"] = percentile(t, 0.99);
    state.counters["max_ms"] = *std::max_element(t.begin(), t.end());
    state.counters["beyond_gap_p99_ms"] = percentile(lateness.beyondPollGap, 0.99);
    state.counters["beyond_gap_max_ms"] =
        *std::max_element(lateness.beyondPollGap.begin(), lateness.beyondPollGap.end());
}
BENCHMARK(BM_EventLatenessWhilePolling)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

struct Discard final : SyncEventSink {
    size_t count = 0;
    void onEvent(const SyncEvent&) override { ++count; }
};

// Three minutes of a 4-channel song rendered in one pass, as zuzor-timeline does.
void BM_OfflineRenderThreeMinutes(benchmark::State& state) {
    TestModuleShape shape;
    shape.rows = 64;
    shape.orders = 23;  // 23 x 64 rows x 0.12 s: about 3 min
    shape.scriptChannels = 3;
    shape.noteEvery = 1;
    XmModule module = makeTestModule(shape);
    for (int order = 0; order < shape.orders; ++order)
        for (int row = 0; row < 64; row += 4) putScriptEvent(module, order, row, 1 + row % 3, 20);
    std::vector<uint8_t> bytes = testModuleBytes(module);
    for (auto _ : state) {
        std::string error;
        auto renderer = SongRenderer::create(bytes.data(), bytes.size(), 44100, false, error);
        Discard sink;
        while (!renderer->ended()) renderer->render(nullptr, 65536, sink);
        state.counters["song_s"] = double(renderer->framesRendered()) / 44100.0;
        state.counters["events"] = double(sink.count);
    }
}
BENCHMARK(BM_OfflineRenderThreeMinutes)->Unit(benchmark::kMillisecond);

}  // namespace
