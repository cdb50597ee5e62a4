// Background work on a thread of its own for each job, detached: the process may end while
// a job still waits on a sound system, and nothing waits for it.
#include "platform/background_work.h"

#include <thread>

namespace zuzor {

void runInBackground(std::function<void()> job) {
    std::thread(std::move(job)).detach();
}

}  // namespace zuzor
