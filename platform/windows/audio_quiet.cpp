// Windows' sound back ends (WASAPI, DirectSound) report through SDL's error strings only:
// nothing below SDL prints on its own.
#include "platform/sdl/host_audio_quiet.h"

namespace zuzor {

void quietHostAudioLibraries() {}

}  // namespace zuzor
