// Work the main loop must not wait for, such as opening a sound device: the search can take
// seconds with a server that hangs. A platform runs each job away from the main loop: on
// Linux and Windows on a thread of its own, on a platform without threads as a callback of
// its event loop. Nobody ever waits for a job: whoever starts one shares with it what it
// needs (the job may outlive its starter, the process's exit included) and looks for the
// result later from the main loop.
#pragma once
#include <functional>

namespace zuzor {

void runInBackground(std::function<void()> job);

}  // namespace zuzor
