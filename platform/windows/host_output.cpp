// Windows' sound systems are SDL's to play (WASAPI, DirectSound): no stream of our own.
#include "platform/output_backend.h"

namespace zuzor {

std::unique_ptr<OutputBackend> openHostOutput(int, StreamFeed&, std::string&) {
    return nullptr;
}

std::unique_ptr<OutputBackend> openHostDriver(const std::string&, int, StreamFeed&, std::string&) {
    return nullptr;
}

}  // namespace zuzor
