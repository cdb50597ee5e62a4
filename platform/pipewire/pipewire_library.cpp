// The library stays loaded for the rest of the run once found: its threads and objects may
// outlive any one stream.
#include "platform/pipewire/pipewire_library.h"

#include <dlfcn.h>

namespace zuzor {

namespace {

template <typename Function>
bool find(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

const PipeWireLibrary* load() {
    static PipeWireLibrary pw;
    void* library = dlopen("libpipewire-0.3.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    const bool found =
        find(library, "pw_init", pw.init) && find(library, "pw_properties_new", pw.propertiesNew) &&
        find(library, "pw_thread_loop_new", pw.threadLoopNew) &&
        find(library, "pw_thread_loop_get_loop", pw.threadLoopGetLoop) &&
        find(library, "pw_thread_loop_start", pw.threadLoopStart) &&
        find(library, "pw_thread_loop_stop", pw.threadLoopStop) &&
        find(library, "pw_thread_loop_destroy", pw.threadLoopDestroy) &&
        find(library, "pw_thread_loop_lock", pw.threadLoopLock) &&
        find(library, "pw_thread_loop_unlock", pw.threadLoopUnlock) &&
        find(library, "pw_thread_loop_signal", pw.threadLoopSignal) &&
        find(library, "pw_thread_loop_get_time", pw.threadLoopGetTime) &&
        find(library, "pw_thread_loop_timed_wait_full", pw.threadLoopTimedWaitFull) &&
        find(library, "pw_stream_new_simple", pw.streamNewSimple) &&
        find(library, "pw_stream_connect", pw.streamConnect) &&
        find(library, "pw_stream_destroy", pw.streamDestroy) &&
        find(library, "pw_stream_dequeue_buffer", pw.streamDequeueBuffer) &&
        find(library, "pw_stream_queue_buffer", pw.streamQueueBuffer) &&
        find(library, "pw_stream_get_time_n", pw.streamGetTimeN);  // since 0.3.50
    if (!found) return nullptr;
    pw.init(nullptr, nullptr);
    return &pw;
}

}  // namespace

const PipeWireLibrary* pipeWireLibrary() {
    static const PipeWireLibrary* library = load();
    return library;
}

}  // namespace zuzor
