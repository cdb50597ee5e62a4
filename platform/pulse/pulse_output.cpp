// The pulse stream runs on libpulse's threaded main loop. Its write requests pull the music
// through the feed, and after each one the stream's interpolated playback time (the frame
// the sink plays now, the server's latency included) is posted as the frame leaving now.
// A lost server or stream is posted as the stream's failure.
#include "platform/pulse/pulse_output.h"

#include <algorithm>
#include <cstring>

#include "base/clock.h"

namespace zuzor {

namespace {

constexpr pa_usec_t timingEveryUs = 10000;
constexpr pa_usec_t answerWithinUs = 2000000;  // a server that does not answer is no server

}  // namespace

PulseOutput::~PulseOutput() {
    if (!loop_) return;
    pa_threaded_mainloop_stop(loop_);
    if (timingTimer_) pa_threaded_mainloop_get_api(loop_)->time_free(timingTimer_);
    // Disconnecting calls the state callbacks at once: this is no failure of the output.
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
    }
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    pa_threaded_mainloop_free(loop_);
}

template <typename Done>
bool PulseOutput::waitFor(Done done, std::string& why) {
    timedOut_ = false;
    pa_time_event* timer =
        pa_context_rttime_new(context_, pa_rtclock_now() + answerWithinUs, onTimeout, this);
    for (;;) {
        if (done()) break;
        const pa_context_state_t state = pa_context_get_state(context_);
        if (!PA_CONTEXT_IS_GOOD(state) || timedOut_ ||
            (stream_ && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)))) {
            why = timedOut_ ? "the pulse server did not answer" : "no pulse server";
            break;
        }
        pa_threaded_mainloop_wait(loop_);
    }
    if (timer) pa_threaded_mainloop_get_api(loop_)->time_free(timer);
    return why.empty();
}

bool PulseOutput::connect(std::string& why) {
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) return why = "no pulse main loop", false;
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "zuzor");
    if (!context_) return why = "no pulse context", false;
    pa_context_set_state_callback(context_, onContextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
        return why = "no pulse server", false;
    if (pa_threaded_mainloop_start(loop_) < 0) return why = "no pulse main loop", false;
    pa_threaded_mainloop_lock(loop_);
    bool ok = waitFor([this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; }, why);
    if (ok) {
        answered_ = false;
        if (pa_operation* op = pa_context_get_server_info(context_, onServerInfo, this))
            pa_operation_unref(op);
        ok = waitFor([this] { return answered_; }, why);
    }
    pa_threaded_mainloop_unlock(loop_);
    return ok;
}

bool PulseOutput::play(int rate, std::string& why) {
    rate_ = rate;
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, uint32_t(rate), 2};
    pa_threaded_mainloop_lock(loop_);
    stream_ = pa_stream_new(context_, "zuzor", &spec, nullptr);
    if (!stream_) {
        pa_threaded_mainloop_unlock(loop_);
        return why = "no pulse stream", false;
    }
    pa_stream_set_state_callback(stream_, onStreamState, this);
    pa_stream_set_write_callback(stream_, onWrite, this);
    pa_stream_set_latency_update_callback(stream_, onLatencyUpdate, this);
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(targetFrames * pa_frame_size(&spec));
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(-1);
    // The server fits its sink's latency into the target, and keeps the stream's timing
    // fresh; libpulse interpolates between its reports.
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_NOT_MONOTONIC);
    bool ok = pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) == 0;
    if (ok) ok = waitFor([this] { return pa_stream_get_state(stream_) == PA_STREAM_READY; }, why);
    // What the server made of the request: its buffer, the server's latency included.
    if (const pa_buffer_attr* granted = ok ? pa_stream_get_buffer_attr(stream_) : nullptr)
        bufferFrames_ = int(granted->tlength / pa_frame_size(&spec));
    if (ok)
        askForTiming(pa_threaded_mainloop_get_api(loop_), nullptr, nullptr, this);
    else
        why = "the pulse stream did not connect";
    pa_threaded_mainloop_unlock(loop_);
    return ok;
}

void PulseOutput::postTiming() {
    const pa_timing_info* timing = pa_stream_get_timing_info(stream_);
    pa_usec_t playing = 0;
    // The time stands still until the stream plays and while it ran dry: no anchor then.
    if (!timing || !timing->playing || pa_stream_get_time(stream_, &playing) != 0) return;
    feed_.postTiming(int64_t(playing * uint64_t(rate_) / 1000000), monotonicMs());
}

void PulseOutput::onContextState(pa_context* context, void* self) {
    auto& output = *static_cast<PulseOutput*>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED)
        output.feed_.postFailure("the pulse server went away");
    pa_threaded_mainloop_signal(output.loop_, 0);
}

void PulseOutput::onServerInfo(pa_context*, const pa_server_info* info, void* self) {
    auto& output = *static_cast<PulseOutput*>(self);
    if (info && info->server_name) output.serverName_ = info->server_name;
    output.answered_ = true;
    pa_threaded_mainloop_signal(output.loop_, 0);
}

void PulseOutput::onStreamState(pa_stream* stream, void* self) {
    auto& output = *static_cast<PulseOutput*>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
        output.feed_.postFailure("the pulse stream ended");
    pa_threaded_mainloop_signal(output.loop_, 0);
}

void PulseOutput::onWrite(pa_stream* stream, size_t bytes, void* self) {
    auto& output = *static_cast<PulseOutput*>(self);
    output.priority_.noteThisThread();
    constexpr size_t frameBytes = 2 * sizeof(float);
    while (bytes >= frameBytes) {
        void* data = nullptr;
        size_t size = bytes;
        if (pa_stream_begin_write(stream, &data, &size) < 0 || !data) break;
        const size_t frames = std::min(size, bytes) / frameBytes;
        if (frames == 0) {
            pa_stream_cancel_write(stream);
            break;
        }
        output.feed_.render(static_cast<float*>(data), frames, output.written_);
        if (pa_stream_write(stream, data, frames * frameBytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            break;
        output.written_ += frames;
        bytes -= frames * frameBytes;
    }
}

void PulseOutput::onLatencyUpdate(pa_stream*, void* self) {
    static_cast<PulseOutput*>(self)->postTiming();
}

void PulseOutput::askForTiming(pa_mainloop_api* api, pa_time_event* timer, const timeval*,
                               void* self) {
    auto& output = *static_cast<PulseOutput*>(self);
    if (pa_operation* op = pa_stream_update_timing_info(output.stream_, nullptr, nullptr))
        pa_operation_unref(op);
    timeval next{};
    pa_timeval_add(pa_gettimeofday(&next), timingEveryUs);
    if (timer)
        api->time_restart(timer, &next);
    else
        output.timingTimer_ = api->time_new(api, &next, askForTiming, self);
}

void PulseOutput::onTimeout(pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
    auto& output = *static_cast<PulseOutput*>(self);
    output.timedOut_ = true;
    pa_threaded_mainloop_signal(output.loop_, 0);
}

std::unique_ptr<PulseOutput> connectPulse(StreamFeed& feed, std::string& why) {
    auto output = std::make_unique<PulseOutput>(feed);
    if (!output->connect(why)) return nullptr;
    return output;
}

bool pulseServerIsPipeWire(const PulseOutput& connection) {
    return connection.onPipeWire();
}

std::unique_ptr<OutputBackend> playPulse(std::unique_ptr<PulseOutput> connection, int rate,
                                         std::string& why) {
    if (!connection || !connection->play(rate, why)) return nullptr;
    connection->raisePriority();
    return connection;
}

}  // namespace zuzor
