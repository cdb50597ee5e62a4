// Placeholder until the native backends land: every choice is SDL's.
#include "platform/output_backend.h"

namespace zuzor {

std::unique_ptr<OutputBackend> openHostOutput(int, StreamFeed&, std::string&) {
    return nullptr;
}

}  // namespace zuzor
