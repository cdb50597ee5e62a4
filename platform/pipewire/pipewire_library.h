// libpipewire, opened at run time: the demo starts and plays through its other outputs on a
// system without it. The functions the PipeWire stream uses, looked up once.
#pragma once
#include <pipewire/pipewire.h>

namespace zuzor {

struct PipeWireLibrary {
    decltype(&::pw_init) init;
    decltype(&::pw_properties_new) propertiesNew;
    decltype(&::pw_thread_loop_new) threadLoopNew;
    decltype(&::pw_thread_loop_get_loop) threadLoopGetLoop;
    decltype(&::pw_thread_loop_start) threadLoopStart;
    decltype(&::pw_thread_loop_stop) threadLoopStop;
    decltype(&::pw_thread_loop_destroy) threadLoopDestroy;
    decltype(&::pw_thread_loop_lock) threadLoopLock;
    decltype(&::pw_thread_loop_unlock) threadLoopUnlock;
    decltype(&::pw_thread_loop_signal) threadLoopSignal;
    decltype(&::pw_thread_loop_get_time) threadLoopGetTime;
    decltype(&::pw_thread_loop_timed_wait_full) threadLoopTimedWaitFull;
    decltype(&::pw_stream_new_simple) streamNewSimple;
    decltype(&::pw_stream_connect) streamConnect;
    decltype(&::pw_stream_destroy) streamDestroy;
    decltype(&::pw_stream_dequeue_buffer) streamDequeueBuffer;
    decltype(&::pw_stream_queue_buffer) streamQueueBuffer;
    decltype(&::pw_stream_get_time_n) streamGetTimeN;
};

// The library with every function found and pw_init done, or null where it is missing.
const PipeWireLibrary* pipeWireLibrary();

}  // namespace zuzor
