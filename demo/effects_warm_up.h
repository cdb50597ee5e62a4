// Start-up preparation of the effects: draws each of them once in every GL state they meet
// in the show, so the GL builds its shader variants at start-up instead of in the middle of
// the show, then puts everything back as it was.
#pragma once

namespace zuzor {

struct DemoState;

// Needs a current GL context with the demo's fixed state set. Leaves the GL state, the
// show's random sequence and the demo state as it found them; the colour and depth buffers
// are cleared.
void warmUpEffects(DemoState& state);

}  // namespace zuzor
