// A playback stream on a PulseAudio server (or PipeWire's pulse layer), timed by the
// server's own reports of the frame its sink plays.
#pragma once
#include <pulse/pulseaudio.h>

#include <memory>
#include <string>

#include "platform/linux/realtime.h"
#include "platform/output_backend.h"

namespace zuzor {

class PulseOutput final : public OutputBackend {
  public:
    explicit PulseOutput(StreamFeed& feed) : feed_(feed) {}
    ~PulseOutput() override;
    bool connect(std::string& why);
    bool play(int rate, std::string& why);
    // The loop's thread, once the stream plays: real-time where the system grants it.
    void raisePriority() { priority_.raise(firstRequestWithinMs); }
    bool onPipeWire() const { return serverName_.find("PipeWire") != std::string::npos; }

    const char* driver() const override { return "pulseaudio"; }
    int bufferFrames() const override { return bufferFrames_; }
    double stallLimitMs() const override { return bufferFrames_ * 1000.0 / rate_ + stalledAfterMs; }

  private:
    // Waits on the loop (locked) until `done` says so, the server fails or time is up.
    template <typename Done>
    bool waitFor(Done done, std::string& why);
    void postTiming();

    static void onContextState(pa_context* context, void* self);
    static void onServerInfo(pa_context*, const pa_server_info* info, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onWrite(pa_stream* stream, size_t bytes, void* self);
    static void onLatencyUpdate(pa_stream*, void* self);
    static void askForTiming(pa_mainloop_api* api, pa_time_event* timer, const timeval*,
                             void* self);
    static void onTimeout(pa_mainloop_api*, pa_time_event*, const timeval*, void* self);

    static constexpr int firstRequestWithinMs = 200;
    StreamFeed& feed_;
    AudioThreadPriority priority_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    pa_time_event* timingTimer_ = nullptr;
    std::string serverName_;
    bool answered_ = false;  // under the loop's lock
    bool timedOut_ = false;
    int rate_ = 44100;
    int bufferFrames_ = targetFrames;
    // The stream's buffer (93 ms): room for a busy machine that leaves the loop's thread
    // waiting (without real-time scheduling, for tens of milliseconds); its length costs no
    // accuracy, since the server says when each frame plays.
    static constexpr int targetFrames = 4096;
    uint64_t written_ = 0;  // the loop's thread, once playing
};

// A connection to the default pulse server, or null with the reason.
std::unique_ptr<PulseOutput> connectPulse(StreamFeed& feed, std::string& why);
// Whether the server is PipeWire's pulse layer, whose timing reports miss by milliseconds.
bool pulseServerIsPipeWire(const PulseOutput& connection);
// Starts the stream on the connection, or returns null with the reason.
std::unique_ptr<OutputBackend> playPulse(std::unique_ptr<PulseOutput> connection, int rate,
                                         std::string& why);

}  // namespace zuzor
