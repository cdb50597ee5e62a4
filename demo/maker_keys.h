// The maker's keys under --watch: Space pauses and resumes music and picture together;
// Right and Left move the show 5 s on and back, Home to its start. Each says the moment
// reached in one line on stderr. Every move is a jump: the show rebuilt from its start and
// run silently to the moment, so the picture there is the one a full run shows.
#pragma once
#include <cstdint>
#include <vector>

namespace zuzor {

class Show;
struct ShellHooks;
struct JumpRedraw;

enum class MakerKey { pause, forward, back, start };

class MakerKeys {
  public:
    static constexpr double moveSeconds = 5.0;

    // `module`: the bytes of the module the show plays (the reload keeps them current).
    void press(MakerKey key, Show& show, ShellHooks& hooks, JumpRedraw& redraw,
               const std::vector<uint8_t>& module);
    // No ticks and no events while paused: the picture stands, the music is stopped.
    bool paused() const { return paused_; }

  private:
    bool paused_ = false;
    uint64_t pausedAt_ = 0;  // the song frame heard when paused
};

// Starts `show` again on its song clock, without song, keeping the images it has and the
// viewport: the start of a jump of the running demo.
void beginAgainKeepingImages(Show& show);

// The same with its song loaded from `module` and not playing, as startShowAt takes it.
// False (the show untouched) when the module cannot be loaded.
bool beginAgainWithModule(Show& show, const std::vector<uint8_t>& module);

}  // namespace zuzor
