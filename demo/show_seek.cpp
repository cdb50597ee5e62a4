// The sound-clock loop shared by the capture and the fast-forward.
#include "demo/show_seek.h"

#include <algorithm>

#include "demo/demo_state.h"
#include "demo/frame_loop.h"
#include "demo/show.h"
#include "demo/sync_codes.h"
#include "demo/sync_events.h"

namespace zuzor {

SoundClockShow::SoundClockShow(Show& show, std::unique_ptr<SongRenderer> renderer)
    : show_(show), renderer_(std::move(renderer)) {
    events_.reserve(256);
}

void SoundClockShow::renderChunk(size_t frames) {
    frames = std::min(frames, renderer_->chunkLength());
    events_.clear();
    nextEvent_ = 0;
    renderer_->render(chunk_, frames, *this);
    chunkStart_ = clock_;
    chunkEnd_ = clock_ + frames;
}

SoundClockShow::Step SoundClockShow::advance() {
    Step step;
    show_.songClock().set(++clock_);
    // GLUT calls the idle function continuously: here once per audio frame. An event
    // applies once its row's first frame has been played.
    for (; nextEvent_ < events_.size() && events_[nextEvent_].frame < clock_; ++nextEvent_) {
        const uint8_t code = events_[nextEvent_].code;
        if (code == Z64) quitEventSeen_ = true;
        onSyncEvent(show_.state(), hooks_, code);
    }
    step.ticked = idleStep(show_.state(), hooks_);
    if (step.ticked) lastTickClock_ = clock_;
    if (hooks_.quit) {
        step.quit = true;
        return step;
    }
    step.redraw = hooks_.redraw;
    hooks_.redraw = false;
    return step;
}

void SoundClockShow::draw(bool hidden) {
    randomBeforeLastDraw_ = show_.state().random;
    drawFrame(show_.state(), hidden);
    lastDrawHidden_ = hidden;
}

void SoundClockShow::redrawLast() {
    RandomSequence again = randomBeforeLastDraw_;
    drawFrame(show_.state(), again, false);
    lastDrawHidden_ = false;
}

// Between the frames where something can happen (an event's row starting, a tick coming
// due, the end of a chunk) the idle body would only find the timer short of a tick: the
// clock moves over them at once. Ticks come no sooner than a tick length after the last,
// so a little less than that is skipped whole.
uint64_t SoundClockShow::nextBusyFrame(uint64_t limit) const {
    uint64_t next = std::min(limit, chunkEnd_);
    if (nextEvent_ < events_.size()) next = std::min(next, events_[nextEvent_].frame + 1);
    next = std::min(next, lastTickClock_ + quietFramesAfterTick);
    return std::max(next, clock_ + 1);
}

bool SoundClockShow::fastForward(uint64_t frame) {
    while (clock_ < frame) {
        if (clock_ == chunkEnd_)
            renderChunk(size_t(std::min<uint64_t>(renderer_->chunkLength(), frame - clock_)));
        clock_ = nextBusyFrame(frame) - 1;
        const Step step = advance();
        if (step.quit) return false;
        if (step.redraw) draw(clock_ + fullDrawSpan <= frame);
    }
    return true;
}

}  // namespace zuzor
