// Start-up cost of the show's images: decoding the logo, and drawing both from scratch.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "assets/tga_decode.h"
#include "authoring/image_canvas.h"
#include "authoring/image_logo.h"
#include "authoring/image_sprite.h"

using namespace zuzor;

namespace {

void BM_DecodeLogo(benchmark::State& state) {
    std::vector<uint8_t> file = encodeTga(makeLogo(), 24);
    for (auto _ : state) {
        TgaImage image{};
        bool ok = decodeTga(file.data(), file.size(), image);
        benchmark::DoNotOptimize(ok);
        image.pixels.reset();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}
BENCHMARK(BM_DecodeLogo);

void BM_DrawLogo(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(makeLogo().rgba.data());
}
BENCHMARK(BM_DrawLogo)->Unit(benchmark::kMillisecond);

void BM_DrawSprite(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(makeSprite().rgba.data());
}
BENCHMARK(BM_DrawSprite)->Unit(benchmark::kMillisecond);

}  // namespace
