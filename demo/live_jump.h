// Jumps of the running demo to a moment of the show: the start at --from and the return to
// the moment heard after a reload. The show is fast-forwarded from its start on the show
// clock, then the frame timer goes over to the run's clock and the song plays on from there.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "base/random_sequence.h"

namespace zuzor {

struct DemoState;
class Show;
class SongRenderer;

// The first picture after a jump: the last frame the fast-forward drew, drawn again with
// the random numbers it took, instead of a new frame the full run would not have drawn.
struct JumpRedraw {
    bool pending = false;
    RandomSequence randomBefore;
};

// `show` as begun on its song clock, its song loaded from `module`, not playing.
// Fast-forwards to song frame `frame`, puts the ticks on the run's clock with their phase
// kept, then plays the song from there. False when the show ends before that moment, or the
// module cannot be read again.
bool startShowAt(Show& show, const std::vector<uint8_t>& module, uint64_t frame,
                 JumpRedraw& redraw);

// The renderer the player goes on with after a pass through the song: a silent pass's
// audible copy where the mixer can be placed there; else the module rendered the way there.
std::unique_ptr<SongRenderer> audibleFrom(std::unique_ptr<SongRenderer> pass,
                                          const std::vector<uint8_t>& module);

// Draws the frame a jump left, or does nothing when no jump is pending.
bool drawAfterJump(DemoState& state, JumpRedraw& redraw);

}  // namespace zuzor
