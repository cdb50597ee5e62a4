// Fuzz target: a module load as the player does it, the script read and the mixer's copy
// handed to libopenmpt, then a little audio rendered with the script followed. Every event
// must come from the script, stamped inside what has been rendered.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sync/song_renderer.h"

using namespace zuzor;

namespace {

constexpr size_t renderFrames = 4096;

struct CheckingSink final : SyncEventSink {
    const SongRenderer* renderer = nullptr;
    uint64_t renderedBefore = 0;
    void onEvent(const SyncEvent& event) override {
        const SongScript& script = renderer->script();
        const ScriptCell* begin = script.rowBegin(event.pattern, event.row);
        const ScriptCell* end = script.rowEnd(event.pattern, event.row);
        bool found = false;
        for (const ScriptCell* cell = begin; cell && cell != end; ++cell)
            found = found || (cell->channel == event.channel && cell->code == event.code);
        if (!found || event.frame < renderedBefore ||
            event.frame >= renderedBefore + SongRenderer::chunkFrames + renderFrames)
            std::abort();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    // The last byte picks the mode the song is opened in, so both are explored.
    const bool repeat = size > 0 && (data[size - 1] & 1);
    auto renderer = SongRenderer::create(data, size, 44100, repeat, error);
    if (!renderer) {
        if (error.empty()) std::abort();
        return 0;
    }
    static float audio[renderFrames * 2];
    CheckingSink sink;
    sink.renderer = renderer.get();
    const size_t got = renderer->render(audio, renderFrames, sink);
    if (got > renderFrames || renderer->framesRendered() != got) std::abort();
    sink.renderedBefore = renderer->framesRendered();
    renderer->render(nullptr, 64, sink);
    return 0;
}
