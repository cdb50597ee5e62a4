// Opening a stream without the main loop waiting for it: the first opening of the output,
// and bringing the sound back after the output stopped (the stream that stopped is closed
// first, which may take its time, or hang, with a server gone). Each opening is one job of
// the background work; the sound output starts the jobs and collects what they opened from
// its service step.
#pragma once
#include <memory>
#include <mutex>
#include <string>

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

// One job that closes a stopped stream and then, if asked, opens one. The job and the output
// share its state, so either may end first: the output abandons an opening without waiting
// for it, and a job that opens a stream after that closes it again itself. The job keeps
// the music source alive as long as a stream of its own uses it. Jobs run one at a time.
class StreamOpening {
  public:
    struct Request {
        std::shared_ptr<MusicSource> music;
        int rate = 0;
        bool playsAtOnce = false;
        bool open = true;    // false: only close `stopped`
        std::string driver;  // as for openOutputStream
        std::unique_ptr<OutputStream> stopped;
    };

    // Starts the job on the background work.
    static std::shared_ptr<StreamOpening> begin(Request request);

    // Main thread: the job has ended.
    bool done();
    // Main thread, once done: the stream that opened; null (and why) where none did.
    std::unique_ptr<OutputStream> take(std::string& why);
    // Main thread: the output no longer wants what the job opens. Never waits for the job.
    void abandon();

  private:
    void run(Request& request);

    std::mutex mutex_;
    bool done_ = false;
    bool abandoned_ = false;
    std::unique_ptr<OutputStream> opened_;
    std::string why_;
};

}  // namespace zuzor
