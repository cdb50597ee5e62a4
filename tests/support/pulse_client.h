// A libpulse context on a private main loop, for the test tools that talk to the sound
// server (PulseAudio or PipeWire's pulse layer). Header only: just the tools that include
// it link libpulse.
#pragma once
#include <pulse/pulseaudio.h>
#include <time.h>

#include <cstdio>
#include <string>

#include "tests/support/stream_clock.h"

namespace zuzor {

inline double monotonicNowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

// Stream flags for streams whose timing is sampled: no smoothing and no clamping by libpulse,
// so each sample is the server's own report.
constexpr pa_stream_flags_t sampledTimingFlags =
    pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_NOT_MONOTONIC);

// Asks the server for the stream's timing every 20 ms and puts each answer into a clock. The
// answer's stream time (pa_stream_get_time without interpolation: the frame the sink plays,
// or for a monitor the frame the sink plays as it is captured) holds at the moment the answer
// arrives, up to the transport time libpulse takes off it.
class TimingSampler {
  public:
    // A playback stream's time stands still until it plays, and while it ran dry: its
    // samples count only while the server says it plays.
    TimingSampler(pa_mainloop* loop, pa_stream* stream, StreamClock& clock, bool playback)
        : api_(pa_mainloop_get_api(loop)), stream_(stream), clock_(clock), playback_(playback) {
        pa_stream_set_latency_update_callback(stream, onUpdate, this);
        timer_ = api_->time_new(api_, nullptr, onTimer, this);
        onTimer(api_, timer_, nullptr, this);
    }
    ~TimingSampler() {
        api_->time_free(timer_);
        pa_stream_set_latency_update_callback(stream_, nullptr, nullptr);
    }
    TimingSampler(const TimingSampler&) = delete;
    TimingSampler& operator=(const TimingSampler&) = delete;

  private:
    static void onTimer(pa_mainloop_api* api, pa_time_event* timer, const timeval*, void* self) {
        auto& sampler = *static_cast<TimingSampler*>(self);
        if (pa_operation* op = pa_stream_update_timing_info(sampler.stream_, nullptr, nullptr))
            pa_operation_unref(op);
        timeval next{};
        pa_timeval_add(pa_gettimeofday(&next), 20000);
        api->time_restart(timer, &next);
    }
    static void onUpdate(pa_stream* stream, void* self) {
        auto& sampler = *static_cast<TimingSampler*>(self);
        const pa_timing_info* info = pa_stream_get_timing_info(stream);
        pa_usec_t position = 0;
        if (!info || pa_stream_get_time(stream, &position) != 0) return;
        // libpulse clamps a time that would be negative to 0: on a monitor that happens while
        // the sink's latency is longer than what has been captured (an idle null sink runs
        // seconds ahead). Such a time says nothing.
        if (position == 0) return;
        if (sampler.playback_ && !info->playing) return;
        sampler.clock_.sample(0, monotonicNowMs(), -double(position) / 1000.0);
    }

    pa_mainloop_api* api_;
    pa_stream* stream_;
    StreamClock& clock_;
    bool playback_;
    pa_time_event* timer_ = nullptr;
};

struct PulseClient {
    pa_mainloop* loop = nullptr;
    pa_context* context = nullptr;

    // Connects to the default server; prints why not and returns false on failure.
    bool connect(const char* name) {
        loop = pa_mainloop_new();
        context = pa_context_new(pa_mainloop_get_api(loop), name);
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
            return report("cannot connect");
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY) return true;
            if (!PA_CONTEXT_IS_GOOD(state)) return report("connection failed");
            if (pa_mainloop_iterate(loop, 1, nullptr) < 0) return report("main loop failed");
        }
    }

    // Runs the loop until the stream is ready; false (and a message) when it failed.
    bool waitReady(pa_stream* stream) {
        for (;;) {
            const pa_stream_state_t state = pa_stream_get_state(stream);
            if (state == PA_STREAM_READY) return true;
            if (!PA_STREAM_IS_GOOD(state)) return report("stream failed");
            if (pa_mainloop_iterate(loop, 1, nullptr) < 0) return report("main loop failed");
        }
    }

    // The server's name ("pulseaudio", "PulseAudio (on PipeWire 0.3.65)"), or "" when it
    // did not say.
    std::string serverName() {
        std::string name;
        pa_operation* op = pa_context_get_server_info(
            context,
            [](pa_context*, const pa_server_info* info, void* out) {
                if (info && info->server_name) *static_cast<std::string*>(out) = info->server_name;
            },
            &name);
        while (op && pa_operation_get_state(op) == PA_OPERATION_RUNNING)
            if (pa_mainloop_iterate(loop, 1, nullptr) < 0) break;
        if (op) pa_operation_unref(op);
        return name;
    }

    bool report(const char* what) {
        std::fprintf(stderr, "%s: %s\n", what,
                     context ? pa_strerror(pa_context_errno(context)) : "no context");
        return false;
    }

    ~PulseClient() {
        if (context) {
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
        if (loop) pa_mainloop_free(loop);
    }
};

}  // namespace zuzor
