// The fast-forward hands its renderer to the player, so the song goes on from the very
// frame the show stands at, without rendering the way there twice.
#include "demo/live_jump.h"

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

bool startShowAt(Show& show, const std::vector<uint8_t>& module, uint64_t frame,
                 JumpRedraw& redraw) {
    const double startedMs = monotonicMs();
    std::string error;
    auto renderer = SongRenderer::create(module.data(), module.size(), mixRate, true, error);
    if (!renderer) return false;
    SoundClockShow run(show, std::move(renderer));
    // The window's first expose, as the full run draws it before any idle call.
    run.draw(true);
    if (!run.fastForward(frame)) return false;
    show.state().timer.continueOn(nullptr);
    redraw = {true, run.randomBeforeLastDraw()};
    playSongFrom(show.state().song.get(), run.takeRenderer());
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
