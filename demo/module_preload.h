// The show's module loaded on a thread of its own from the start of the process: reading it
// and the mixer's first set-up (its tables take longer than the file) then run while the
// window opens, off the way to the first frame.
#pragma once
#include "sync/module_player.h"

namespace zuzor {

// Starts loading Data/ZUZOR.XM in the background. Does nothing when a load is under way.
void beginLoadingModule();

// The module begun above, waiting for it to be loaded; loaded here and now when no load was
// begun. Null when it does not load.
SongHandle takeLoadedModule();

}  // namespace zuzor
