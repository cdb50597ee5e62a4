// The stream's process callback runs on PipeWire's data thread once a graph cycle
// (PW_STREAM_FLAG_RT_PROCESS): it fills the buffer the cycle asks for through the feed and
// posts, from pw_stream_get_time_n and the graph's position, when the first frame of that
// buffer reaches the device: the cycle's start, plus the cycle (PipeWire 0.3's delay leaves
// out the graph's own latency: a null sink reports 0), plus the delay to the device, plus
// what the stream still holds.
// A stream that errs or loses its server posts the failure.
#include "platform/pipewire/pipewire_output.h"

#include <spa/node/io.h>
#include <spa/param/audio/format-utils.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "platform/linux/realtime.h"
#include "platform/pipewire/pipewire_library.h"

namespace zuzor {

namespace {

constexpr int targetFrames = 1024;  // the quantum asked for, like SDL's device (23 ms)
constexpr int64_t linkWithinNs = 2000000000;
constexpr uint32_t frameBytes = 2 * sizeof(float);
constexpr int firstCycleWithinMs = 200;

class PipeWireOutput final : public OutputBackend {
  public:
    PipeWireOutput(const PipeWireLibrary& pw, StreamFeed& feed, int rate)
        : pw_(pw), feed_(feed), rate_(rate) {}
    ~PipeWireOutput() override;
    bool open(std::string& why);
    bool raisePriority() { return priority_.raise(firstCycleWithinMs); }

    const char* driver() const override { return "pipewire"; }
    int bufferFrames() const override { return targetFrames; }
    double stallLimitMs() const override { return targetFrames * 1000.0 / rate_ + stalledAfterMs; }

  private:
    static void onStateChanged(void* self, pw_stream_state, pw_stream_state state, const char*);
    static void onIoChanged(void* self, uint32_t id, void* area, uint32_t size);
    static void onProcess(void* self);

    const PipeWireLibrary& pw_;
    StreamFeed& feed_;
    const int rate_;
    pw_thread_loop* loop_ = nullptr;
    pw_stream* stream_ = nullptr;
    pw_stream_events events_{};
    std::atomic<pw_stream_state> state_{PW_STREAM_STATE_UNCONNECTED};
    std::atomic<spa_io_position*> position_{nullptr};  // the graph's cycle, while linked
    std::atomic<bool> closing_{false};
    uint64_t written_ = 0;  // the data thread
    AudioThreadPriority priority_;
};

PipeWireOutput::~PipeWireOutput() {
    // Destroying the stream reports it unconnected: no failure of the feed, which may play
    // on through another stream.
    closing_.store(true);
    if (loop_) pw_.threadLoopStop(loop_);
    // Destroying the stream takes it off the data thread first.
    if (stream_) pw_.streamDestroy(stream_);
    if (loop_) pw_.threadLoopDestroy(loop_);
}

bool PipeWireOutput::open(std::string& why) {
    loop_ = pw_.threadLoopNew("zuzor-sound", nullptr);
    if (!loop_) return why = "no PipeWire loop", false;
    char latency[32];
    std::snprintf(latency, sizeof latency, "%d/%d", targetFrames, rate_);
    pw_properties* props = pw_.propertiesNew(
        PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback", PW_KEY_MEDIA_ROLE, "Game",
        PW_KEY_APP_NAME, "zuzor", PW_KEY_NODE_NAME, "zuzor", PW_KEY_NODE_LATENCY, latency, nullptr);
    events_.version = PW_VERSION_STREAM_EVENTS;
    events_.state_changed = onStateChanged;
    events_.io_changed = onIoChanged;
    events_.process = onProcess;
    pw_.threadLoopLock(loop_);
    stream_ = pw_.streamNewSimple(pw_.threadLoopGetLoop(loop_), "zuzor", props, &events_, this);
    if (!stream_) {
        pw_.threadLoopUnlock(loop_);
        return why = "no PipeWire server", false;
    }
    uint8_t podBuffer[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(podBuffer, sizeof podBuffer);
    spa_audio_info_raw format{};
    format.format = SPA_AUDIO_FORMAT_F32;
    format.rate = uint32_t(rate_);
    format.channels = 2;
    format.position[0] = SPA_AUDIO_CHANNEL_FL;
    format.position[1] = SPA_AUDIO_CHANNEL_FR;
    const spa_pod* params[1] = {
        spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &format)};
    const auto flags = pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                       PW_STREAM_FLAG_RT_PROCESS);
    bool ok = pw_.streamConnect(stream_, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params, 1) == 0 &&
              pw_.threadLoopStart(loop_) == 0;
    // Playing once the session manager has linked the stream to a sink.
    timespec deadline{};
    pw_.threadLoopGetTime(loop_, &deadline, linkWithinNs);
    while (ok && state_.load() != PW_STREAM_STATE_STREAMING) {
        if (state_.load() == PW_STREAM_STATE_ERROR) {
            why = "no PipeWire server";
            ok = false;
        } else if (pw_.threadLoopTimedWaitFull(loop_, &deadline) != 0) {
            why = "no PipeWire sink took the stream";
            ok = false;
        }
    }
    pw_.threadLoopUnlock(loop_);
    return ok;
}

void PipeWireOutput::onStateChanged(void* self, pw_stream_state, pw_stream_state state,
                                    const char*) {
    auto& output = *static_cast<PipeWireOutput*>(self);
    const pw_stream_state before = output.state_.exchange(state);
    if (output.closing_.load()) return;
    if (state == PW_STREAM_STATE_ERROR ||
        (state == PW_STREAM_STATE_UNCONNECTED && before != PW_STREAM_STATE_UNCONNECTED))
        output.feed_.postFailure("the PipeWire server went away");
    output.pw_.threadLoopSignal(output.loop_, false);
}

void PipeWireOutput::onIoChanged(void* self, uint32_t id, void* area, uint32_t size) {
    if (id != SPA_IO_Position) return;
    auto* position =
        size >= sizeof(spa_io_position) ? static_cast<spa_io_position*>(area) : nullptr;
    static_cast<PipeWireOutput*>(self)->position_.store(position);
}

void PipeWireOutput::onProcess(void* self) {
    auto& output = *static_cast<PipeWireOutput*>(self);
    output.priority_.noteThisThread();
    const PipeWireLibrary& pw = output.pw_;
    pw_buffer* buffer = pw.streamDequeueBuffer(output.stream_);
    if (!buffer) return;
    spa_data& data = buffer->buffer->datas[0];
    if (!data.data) {
        pw.streamQueueBuffer(output.stream_, buffer);
        return;
    }
    uint64_t frames = data.maxsize / frameBytes;
    if (buffer->requested) frames = std::min<uint64_t>(frames, buffer->requested);
    pw_time time{};
    const bool timed = pw.streamGetTimeN(output.stream_, &time, sizeof time) == 0 &&
                       time.rate.denom > 0 && time.now > 0;
    output.feed_.render(static_cast<float*>(data.data), frames, output.written_);
    data.chunk->offset = 0;
    data.chunk->stride = frameBytes;
    data.chunk->size = uint32_t(frames * frameBytes);
    pw.streamQueueBuffer(output.stream_, buffer);
    const spa_io_position* position = output.position_.load();
    if (timed && position && position->clock.rate.denom > 0) {
        // Ahead of this buffer: the graph's cycle (the driver takes what the graph made at
        // its next wake-up), the delay from there to the device (in the graph's rate), and
        // the resampler's samples and what the stream had queued (in the stream's rate).
        const spa_io_clock& clock = position->clock;
        const double cycleMs = double(clock.duration) * 1000.0 * clock.rate.num / clock.rate.denom;
        const double delayMs = double(time.delay) * 1000.0 * time.rate.num / time.rate.denom;
        const double heldMs =
            (double(time.buffered) + double(time.queued) / frameBytes) * 1000.0 / output.rate_;
        output.feed_.postTiming(int64_t(output.written_),
                                double(time.now) / 1e6 + cycleMs + delayMs + heldMs);
    }
    output.written_ += frames;
}

}  // namespace

std::unique_ptr<OutputBackend> openPipeWireOutput(int rate, StreamFeed& feed, std::string& why,
                                                  bool* realtime) {
    const PipeWireLibrary* pw = pipeWireLibrary();
    if (!pw) return why = "no PipeWire library", nullptr;
    auto output = std::make_unique<PipeWireOutput>(*pw, feed, rate);
    if (!output->open(why)) return nullptr;
    const bool granted = output->raisePriority();
    if (realtime) *realtime = granted;
    return output;
}

}  // namespace zuzor
