// SDL's ALSA back end loads libasound, which prints its own complaints to stderr when
// there is no sound card. Its error handler is set through the same library SDL loads.
#include <dlfcn.h>

#include "platform/sdl/host_audio_quiet.h"

namespace zuzor {

namespace {

void quietAlsaError(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void quietHostAudioLibraries() {
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!alsa) return;  // no ALSA, nothing to silence; kept open for SDL's use otherwise
    auto setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler) setHandler(quietAlsaError);
}

}  // namespace zuzor
