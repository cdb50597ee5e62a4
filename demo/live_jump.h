// Jumps of the running demo to a moment of the show: the start at --from and the return to
// the moment heard after a reload. The show is fast-forwarded from its start on the show
// clock, then the frame timer goes over to the run's clock and the song plays on from there.
#pragma once
#include <cstdint>
#include <vector>

namespace zuzor {

struct DemoState;
struct FrameTimer;

// The first picture after a jump: the last frame the fast-forward drew, drawn again with
// the random numbers it took, instead of a new frame the full run would not have drawn.
struct JumpRedraw {
    bool pending = false;
    uint32_t randomBefore = 0;
};

// Puts the timer on the run's clock with the time since its last tick carried over.
void keepPhaseOnRunClock(FrameTimer& timer);

// `state` as initScene leaves it with the show clock (at 0) as its timer's source and its
// song loaded from `module`, not playing. Fast-forwards to song frame `frame`, then plays
// the song from there. False when the show ends before that moment, or the module cannot
// be read again.
bool startShowAt(DemoState& state, const std::vector<uint8_t>& module, uint64_t frame,
                 JumpRedraw& redraw);

// Draws the frame a jump left, or does nothing when no jump is pending.
bool drawAfterJump(DemoState& state, JumpRedraw& redraw);

}  // namespace zuzor
