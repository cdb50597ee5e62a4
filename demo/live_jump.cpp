// The fast-forward hands its renderer to the player, so the song goes on from the very
// frame the show stands at, without rendering the way there twice.
#include "demo/live_jump.h"

#include <string>

#include "base/clock.h"
#include "base/constants.h"
#include "base/frame_timer.h"
#include "base/render_helpers.h"
#include "base/trace.h"
#include "demo/demo_state.h"
#include "demo/frame_loop.h"
#include "demo/show_seek.h"
#include "sync/module_player.h"
#include "sync/song_renderer.h"

namespace zuzor {

void keepPhaseOnRunClock(FrameTimer& timer) {
    const double elapsedMs = timer.elapsedMs();
    timer.source = nullptr;
    timer.highResolution = 1;
    timer.start();
    if (timer.highResolution != 0) {
        timer.startCount -= int64_t(elapsedMs / 1000.0 / double(timer.secondsPerCount));
    } else {
        const uint32_t low = uint32_t(uint64_t(timer.startCount)) - uint32_t(elapsedMs);
        timer.startCount = int64_t((uint64_t(timer.startCount) & ~0xFFFFFFFFull) | low);
    }
}

bool startShowAt(DemoState& state, const std::vector<uint8_t>& module, uint64_t frame,
                 JumpRedraw& redraw) {
    const double startedMs = monotonicMs();
    std::string error;
    auto renderer = SongRenderer::create(module.data(), module.size(), mixRate, true, error);
    if (!renderer) return false;
    SoundClockShow show(state, std::move(renderer));
    // The window's first expose, as the full run draws it before any idle call.
    show.draw(true);
    if (!show.fastForward(frame)) return false;
    keepPhaseOnRunClock(state.timer);
    redraw = {true, show.randomBeforeLastDraw()};
    playSongFrom(state.song.get(), show.takeRenderer());
    traceLine("jump to song %.3f s in %.1f ms", double(frame) / mixRate, monotonicMs() - startedMs);
    return true;
}

bool drawAfterJump(DemoState& state, JumpRedraw& redraw) {
    if (!redraw.pending) return false;
    const uint32_t now = randomState;
    randomState = redraw.randomBefore;
    drawFrame(state);
    randomState = now;
    redraw.pending = false;
    return true;
}

}  // namespace zuzor
