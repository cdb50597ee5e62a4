// Bringing the sound back after the output stopped: a thread of its own closes the stream
// that stopped (which may take its time, or hang, with a server gone) and opens a new one
// every half second until one opens. The main thread collects the new stream when it
// looks, and never waits on a sound system here.
#pragma once
#include <atomic>
#include <memory>
#include <thread>

#include "platform/output_backend.h"

namespace zuzor {

// A backend with its feed; the backend goes first, since its thread uses the feed.
struct OutputStream {
    std::unique_ptr<StreamFeed> feed;
    std::unique_ptr<OutputBackend> backend;
    ~OutputStream() { backend.reset(); }
};

// Opens a stream of the platform (or of the test's opener). With `playsAtOnce` it owns the
// music from its first request on; otherwise it plays silence until handed the music. With
// a `driver` of the host's own (a stopped stream's), only that sound system is tried.
std::unique_ptr<OutputStream> openOutputStream(MusicSource& music, int rate, bool playsAtOnce,
                                               std::string& why, const std::string& driver = "");

class OutputRecovery {
  public:
    static constexpr int retryEveryMs = 500;

    OutputRecovery() = default;
    ~OutputRecovery() { stop(); }
    OutputRecovery(const OutputRecovery&) = delete;
    OutputRecovery& operator=(const OutputRecovery&) = delete;

    // Closes `stopped` and opens streams until one opens: of the same sound system where it
    // was one of the host's own (a restarting server must not lose the output to another
    // way to the same sink meanwhile), of any otherwise.
    void start(std::unique_ptr<OutputStream> stopped, MusicSource& music, int rate);
    // The stream that opened, once; null until then.
    std::unique_ptr<OutputStream> takeOpened();
    // Ends the attempts. Waits a second at most for a thread stuck in a sound system,
    // then leaves it behind with what it holds.
    void stop();
    bool running() const { return thread_.joinable(); }

  private:
    void run(MusicSource& music, int rate, std::string driver);

    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::unique_ptr<OutputStream> stopped_;
    std::atomic<OutputStream*> opened_{nullptr};
    std::atomic<bool> finished_{false};
};

}  // namespace zuzor
