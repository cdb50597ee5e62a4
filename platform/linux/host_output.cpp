// Which of the host's sound systems plays, and through which library. SDL_AUDIODRIVER keeps
// its meaning: "pulseaudio", "pipewire" and "alsa" are played by our own streams, which know
// when their sound leaves the server; any other driver is SDL's. Without a choice, the
// desktop's own server comes first: a pulse server, through PipeWire's own protocol where it
// is PipeWire's pulse layer (whose timing reports miss by milliseconds) and the stream's
// thread runs real-time; then a PipeWire without a pulse layer; then ALSA's default device;
// then whatever SDL finds.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/alsa/alsa_output.h"
#include "platform/output_backend.h"
#include "platform/pipewire/pipewire_output.h"
#include "platform/pulse/pulse_output.h"

namespace zuzor {

namespace {

// A pulse server plays through our pulse stream, or through PipeWire's own protocol where
// it is PipeWire's pulse layer, libpipewire is there and the stream's thread was granted
// real-time scheduling. Without it the pulse layer's buffer, on the server's side, carries
// the sound over the moments a busy machine leaves our thread waiting.
std::unique_ptr<OutputBackend> openPulseServer(int rate, StreamFeed& feed, std::string& why) {
    auto connection = connectPulse(feed, why);
    if (!connection) return nullptr;
    if (pulseServerIsPipeWire(*connection)) {
        std::string notNative;
        bool realtime = false;
        auto output = openPipeWireOutput(rate, feed, notNative, &realtime);
        if (output && realtime) return output;
    }
    return playPulse(std::move(connection), rate, why);
}

}  // namespace

std::unique_ptr<OutputBackend> openHostDriver(const std::string& driver, int rate, StreamFeed& feed,
                                              std::string& why) {
    std::string ignored;
    if (driver == "pulseaudio" || driver == "pulse" || driver.empty()) {
        if (auto output = openPulseServer(rate, feed, driver.empty() ? ignored : why))
            return output;
    }
    if (driver == "pipewire" || driver.empty()) {
        if (auto output = openPipeWireOutput(rate, feed, driver.empty() ? ignored : why))
            return output;
    }
    if (driver == "alsa" || driver.empty()) {
        if (auto output = openAlsaOutput(rate, feed, driver.empty() ? ignored : why)) return output;
    }
    return nullptr;
}

std::unique_ptr<OutputBackend> openHostOutput(int rate, StreamFeed& feed, std::string& why) {
    const char* wanted = std::getenv("SDL_AUDIODRIVER");
    return openHostDriver(wanted ? wanted : "", rate, feed, why);
}

}  // namespace zuzor
