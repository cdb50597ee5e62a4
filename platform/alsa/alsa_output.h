// A playback stream on ALSA's default device (a card, or a sound server through one of
// ALSA's plugins), timed by the delay ALSA reports after each write.
#pragma once
#include <memory>
#include <string>

#include "platform/output_backend.h"

namespace zuzor {

// Null with the reason where the default device does not open or takes no stereo float.
std::unique_ptr<OutputBackend> openAlsaOutput(int rate, StreamFeed& feed, std::string& why);

}  // namespace zuzor
