// The seam between the sound output and the sound systems behind it. A backend owns one
// stream of some sound system and its thread; that thread pulls the music through the
// stream's StreamFeed and posts there when a frame leaves the sound system and when the
// stream has failed. The sound output decides which stream plays, watches it, and falls
// back to the silent clock when it stops.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/device_clock.h"
#include "platform/sound_output.h"

namespace zuzor {

// Who may call the fill function now: one stream at a time, so the output can take the
// music from a stream that stalled and give it to another without a lock on the audio
// side. A stream enters only while it is the owner; the main thread hands over and waits
// for a stream that is inside to come out (a fill call is short and never blocks).
class FillGate {
  public:
    bool enter(uint32_t stream) {
        if (owner_.load() != stream) return false;
        busy_.store(true);
        if (owner_.load() == stream) return true;
        busy_.store(false);
        return false;
    }
    void leave() { busy_.store(false); }
    void handTo(uint32_t stream);
    uint32_t owner() const { return owner_.load(); }

  private:
    // Sequentially consistent on purpose: enter() stores busy then reads the owner, handTo()
    // stores the owner then reads busy, so one of the two always sees the other.
    std::atomic<uint32_t> owner_{0};
    std::atomic<bool> busy_{false};
};

// What the sound output shares with every stream: the fill function, the frames handed
// over so far (the music clock) and the gate.
struct MusicSource {
    OutputFill fill = nullptr;
    std::atomic<uint64_t> handed{0};
    FillGate gate;
    std::atomic<uint32_t> nextStreamId{1};  // 0 is nobody's
};

// One stream's side of the output, used from the stream's own thread. No call allocates,
// locks or waits.
class StreamFeed {
  public:
    StreamFeed(MusicSource& music, uint32_t id, int rate) : music_(music), id_(id), rate_(rate) {}
    StreamFeed(const StreamFeed&) = delete;
    StreamFeed& operator=(const StreamFeed&) = delete;

    // Writes the next `frames` stereo frames to out: the music while this stream is the
    // output's, silence before and after. `streamFrame` is the stream's own count of
    // frames written before these.
    void render(float* out, size_t frames, uint64_t streamFrame);
    // The stream's frame `streamFrame` leaves the sound system at `leavesAtMs`.
    void postTiming(int64_t streamFrame, double leavesAtMs);
    // The stream cannot play any more; `why` is a string literal, kept for the message.
    void postFailure(const char* why) {
        const char* none = nullptr;
        failure_.compare_exchange_strong(none, why);
    }

    // The sound output's side.
    uint32_t id() const { return id_; }
    int rate() const { return rate_; }
    const DeviceClock& clock() const { return clock_; }
    const char* failure() const { return failure_.load(); }
    double lastRequestMs() const { return lastRequestMs_.load(std::memory_order_relaxed); }
    // Frames the stream asked for so far, music or silence.
    uint64_t framesAskedFor() const { return askedFor_.load(std::memory_order_relaxed); }
    void expectRequestsFrom(double nowMs) {
        lastRequestMs_.store(nowMs, std::memory_order_relaxed);
    }

  private:
    static constexpr int64_t notOwnedYet = INT64_MIN;
    MusicSource& music_;
    const uint32_t id_;
    const int rate_;
    DeviceClock clock_;  // in output frames
    std::atomic<const char*> failure_{nullptr};
    std::atomic<double> lastRequestMs_{0.0};
    std::atomic<uint64_t> askedFor_{0};
    // Output frame minus stream frame, fixed by the first frames of music this stream got.
    std::atomic<int64_t> offset_{notOwnedYet};
};

// A busy machine can leave a stream's thread, or its server, unscheduled for hundreds of
// milliseconds; that is a late request, not a stopped stream.
constexpr double stalledAfterMs = 2000.0;

// A stream of one sound system, playing from the moment it is opened. Destroying it
// stops its thread; after that its feed is no longer called.
class OutputBackend {
  public:
    virtual ~OutputBackend() = default;
    // The sound system's name for messages ("pulseaudio", "pipewire", "alsa", SDL's name).
    virtual const char* driver() const = 0;
    // The frames the stream holds ahead of the sound leaving the system, for OutputInfo.
    virtual int bufferFrames() const = 0;
    // How long the stream may go without asking for frames before it counts as stopped:
    // its buffer, and more than any scheduling delay on top (stalledAfterMs). A stream
    // whose sound system went away says so itself (a failure, at once).
    virtual double stallLimitMs() const = 0;
    // Main thread: a failure the sound system reports only when asked (null: none).
    virtual const char* polledFailure() { return nullptr; }
};

// Opens a stream at `rate` that pulls through `feed`, or returns null and says why.
using OutputOpener = std::unique_ptr<OutputBackend> (*)(int rate, StreamFeed& feed,
                                                        std::string& why);

// The openers every platform provides: the host's own sound systems first (null, with no
// reason, where it leaves the choice to SDL), then SDL's device. openHostOutput chooses by
// SDL_AUDIODRIVER; openHostDriver by a driver name a stream of the host gave (driver()),
// and null for a name that is none of the host's own.
std::unique_ptr<OutputBackend> openHostOutput(int rate, StreamFeed& feed, std::string& why);
std::unique_ptr<OutputBackend> openHostDriver(const std::string& driver, int rate, StreamFeed& feed,
                                              std::string& why);
std::unique_ptr<OutputBackend> openSdlOutput(int rate, StreamFeed& feed, std::string& why);

// Replaces how the output opens its streams (null: the platform's own). For tests that
// drive the output with a stream they control.
void replaceOutputOpener(OutputOpener opener);

}  // namespace zuzor
