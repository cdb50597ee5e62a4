// The fast-forward runs the song without sound (the mixer skips what nobody hears), then
// hands the player a renderer that sounds from the very frame the show stands at.
#include "demo/live_jump.h"

#include <algorithm>
#include <string>

#include "base/clock.h"
#include "base/constants.h"
#include "base/trace.h"
#include "demo/demo_state.h"
#include "demo/frame_loop.h"
#include "demo/show.h"
#include "demo/show_seek.h"
#include "sync/module_player.h"
#include "sync/song_renderer.h"

namespace zuzor {

// The song heard from where a silent pass stands: its audible copy, or, where the mixer
// cannot be placed there, a renderer that plays the way there unheard.
std::unique_ptr<SongRenderer> audibleFrom(std::unique_ptr<SongRenderer> pass,
                                          const std::vector<uint8_t>& module) {
    if (!pass->silent()) return pass;
    if (auto copy = pass->audibleCopy()) return copy;
    std::string error;
    auto heard = SongRenderer::create(module.data(), module.size(), mixRate, true, error);
    struct Ignore final : SyncEventSink {
        void onEvent(const SyncEvent&) override {}
    } ignore;
    for (uint64_t left = pass->framesRendered(); heard && left > 0;)
        left -= heard->render(nullptr, size_t(std::min<uint64_t>(left, 1u << 16)), ignore);
    return heard;
}

bool startShowAt(Show& show, const std::vector<uint8_t>& module, uint64_t frame,
                 JumpRedraw& redraw) {
    const double startedMs = monotonicMs();
    std::string error;
    auto renderer = SongRenderer::create(module.data(), module.size(), mixRate, true, error);
    if (!renderer) return false;
    renderer->silence();
    SoundClockShow run(show, std::move(renderer));
    // The window's first expose, as the full run draws it before any idle call.
    run.draw(true);
    if (!run.fastForward(frame)) return false;
    show.state().timer.continueOn(nullptr);
    redraw = {true, run.randomBeforeLastDraw()};
    playSongFrom(show.state().song.get(), audibleFrom(run.takeRenderer(), module));
    traceLine("jump to song %.3f s in %.1f ms", double(frame) / mixRate, monotonicMs() - startedMs);
    return true;
}

bool drawAfterJump(DemoState& state, JumpRedraw& redraw) {
    if (!redraw.pending) return false;
    drawFrame(state, redraw.randomBefore);
    redraw.pending = false;
    return true;
}

}  // namespace zuzor
