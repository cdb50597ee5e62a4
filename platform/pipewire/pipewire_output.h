// A playback stream on PipeWire through its own protocol, timed by the graph: each cycle
// says when the stream's next frame reaches the device.
#pragma once
#include <memory>
#include <string>

#include "platform/output_backend.h"

namespace zuzor {

// Null with the reason where libpipewire is missing, no PipeWire server runs, or no
// session manager links the stream to a sink within two seconds.
std::unique_ptr<OutputBackend> openPipeWireOutput(int rate, StreamFeed& feed, std::string& why);

}  // namespace zuzor
