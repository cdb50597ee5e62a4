// Real-time scheduling for a stream's audio thread where the system grants it: directly,
// for a process allowed to (sched_setscheduler), or else through RTKit on the system bus,
// as desktop audio programs do. Refused or not there, the thread runs as it did: the
// streams' buffers are sized to play on without it.
#pragma once
#include <sys/types.h>

#include <atomic>

namespace zuzor {

class AudioThreadPriority {
  public:
    // The audio thread, at each call for sound: remembers which thread it is (a system
    // call on the first call only).
    void noteThisThread();
    // The thread that opened the stream, once it plays: asks for real-time scheduling for
    // the noted thread, waiting up to `waitMs` for the thread's first call. Once; says
    // whether the thread now runs real-time.
    bool raise(int waitMs);

  private:
    std::atomic<pid_t> thread_{0};
    bool asked_ = false;
    bool granted_ = false;
};

}  // namespace zuzor
