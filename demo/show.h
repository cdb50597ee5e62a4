// The show as one object: its state (switches, scene objects, the random sequence, the tick
// phase) and the song clock that the runs without a sound device advance. The demo, the
// offline capture, the jumps, the reload, the tests and the benchmarks all start a show
// through begin; they differ only in the choices of SceneStart. A show begun again starts
// from the start of everything, the random sequence too: nothing of a show lives outside it.
#pragma once
#include <memory>

#include "demo/demo_state.h"
#include "demo/show_clock.h"

namespace zuzor {

struct SceneStart {
    // The ticks follow the song's own frames (songClock(), which the caller advances) instead
    // of the run's clock.
    bool onSongClock = false;
    // Draw every effect once in every GL state it meets in the show, so the GL builds its
    // shader variants now instead of in the middle of the show.
    bool warmUp = true;
    // A viewport over the whole surface of this size, as the window's default reshape
    // gives the demo before its first frame; 0 leaves the viewport to the window.
    int viewportWidth = 0;
    int viewportHeight = 0;
    // How many times the show's 600 lines the picture is drawn on, where it is larger (a
    // capture at 1080 lines, or drawn twice the size to be filtered down): what is drawn in
    // pixels, the voxel field's outline, widens by as much. 1 everywhere else.
    float pixelScale = 1.0f;
    // Load the module (or take the one beginLoadingModule loads), the logo, and print the
    // start-up line; the sound output opens when the music first needs it (finishStartUp,
    // playSong). Without it, no module and no message.
    bool music = true;
    // Load the logo also without music (for runs that bring their own).
    bool logo = false;
};

class Show {
  public:
    Show() = default;
    Show(const Show&) = delete;
    Show& operator=(const Show&) = delete;

    // Starts the show afresh, with a current GL context: a new state (references to the old
    // one are left behind with it), the scene objects,
    // fixed GL state, warm-up, the timer on its clock at 0, then as chosen the song, the logo
    // and the start-up line on standard output.
    void begin(const SceneStart& start = {});

    DemoState& state() { return *state_; }
    const DemoState& state() const { return *state_; }
    // The song's frames, for a show begun onSongClock.
    ShowClock& songClock() { return songClock_; }

  private:
    std::unique_ptr<DemoState> state_ = std::make_unique<DemoState>();
    ShowClock songClock_;
};

}  // namespace zuzor
