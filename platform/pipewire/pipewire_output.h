// A playback stream on PipeWire through its own protocol, timed by the graph: each cycle
// says when the stream's next frame reaches the device.
#pragma once
#include <memory>
#include <string>

#include "platform/output_backend.h"

namespace zuzor {

// Null with the reason where libpipewire is missing, no PipeWire server runs, or no
// session manager links the stream to a sink within two seconds. `realtime` (if given)
// says whether the stream's thread was granted real-time scheduling: it must wake once a
// graph cycle, and without that priority a busy machine makes it miss whole cycles.
std::unique_ptr<OutputBackend> openPipeWireOutput(int rate, StreamFeed& feed, std::string& why,
                                                  bool* realtime = nullptr);

}  // namespace zuzor
