// record_onsets: records the default sink's monitor through the sound server (PulseAudio or
// PipeWire's pulse layer) and prints, for every click onset, the monotonic time at which
// that sample left the sink: the trace's clock, so onsets pair with the demo's trace.
//
// Two clocks time a recorded frame; one line shows both, and the first number is the one
// that holds for the server at hand:
// - server: the record stream's timing, asked for every 20 ms. PulseAudio names the frame
//   being captured and, on a monitor, counts the sink's latency off it, so that frame is the
//   one leaving the sink (a null sink renders ahead of its clock by its latency, so the
//   monitor has the sound before it leaves). An onset's time is the median of the
//   estimates within 2 s of it. Agrees with the playback side within 0.5 ms.
// - arrival: PipeWire's null sink starts playing a quantum in the graph cycle that also hands
//   it to the monitor, and its pulse layer sends each cycle's quantum on at once, so a read's
//   first frame left the sink a little before it arrived here; the earliest arrival within
//   2 s times an onset. Checked against PipeWire's own cycle times (pw_stream_get_time_n on
//   a native capture of the monitor): within 0.3 ms. The pulse layer's timing reports are
//   off by 2 to 3 ms there, and by whole quanta in some runs.
#include <signal.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/onset_detector.h"
#include "tests/support/pulse_client.h"
#include "tests/support/stream_clock.h"

using namespace zuzor;

namespace {

const char usage[] =
    "usage: record_onsets [--seconds S] [--threshold T] [--source NAME] [--clock C]\n"
    "                     [--fragment-ms F]\n"
    "  Records SOURCE (default: the default sink's monitor) until S seconds have passed or\n"
    "  SIGINT/SIGTERM, then prints one line per click onset:\n"
    "    <monotonic ms when the onset left the sink> onset frame <F> server <ms> arrival <ms>\n"
    "  C is server, arrival or auto (default: arrival on PipeWire, server otherwise).\n"
    "  F is the recording's fragment (default 5 ms). The arrival clock needs one graph\n"
    "  cycle per read: on PipeWire the fragment also caps the graph's quantum (5 ms: 256\n"
    "  frames at 48 kHz), and with a fragment longer than the quantum arrivals come late.\n"
    "  T is the level (0..1 of full scale) that marks a click (default 0.05: the demo's mixer\n"
    "  plays a full-scale sample of one channel at about 0.17 and ramps it in over 15 frames,\n"
    "  so 0.05 is crossed within 5 frames of the onset). A summary of the server's timing\n"
    "  goes to stderr.\n";

volatile sig_atomic_t stopRequested = 0;
void requestStop(int) {
    stopRequested = 1;
}

struct Recording {
    int rate = 0;
    int channels = 0;
    uint64_t frames = 0;  // frames read so far: the stream's read position
    std::vector<uint64_t> onsets;
    OnsetDetector* detector = nullptr;
    StreamClock* arrivals = nullptr;
};

void onReadable(pa_stream* stream, size_t, void* userdata) {
    Recording& rec = *static_cast<Recording*>(userdata);
    const size_t frameBytes = sizeof(float) * size_t(rec.channels);
    for (;;) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0) return;
        const size_t frames = bytes / frameBytes;
        // The first frame of this read left the sink no later than now.
        rec.arrivals->sample(rec.frames, monotonicNowMs(), 0.0);
        if (data) {
            for (uint64_t onset : rec.detector->feed(static_cast<const float*>(data), frames,
                                                     rec.channels, rec.frames))
                rec.onsets.push_back(onset);
        }
        rec.frames += frames;  // a hole counts as frames too: the stream's clock ran on
        pa_stream_drop(stream);
    }
}

bool parseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return *text && !*end && std::isfinite(value);
}

int fail(const char* message, const char* detail) {
    std::fprintf(stderr, "record_onsets: %s%s\n%s", message, detail, usage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 0.0, threshold = 0.05;
    std::string source = "@DEFAULT_MONITOR@";
    std::string clockName = "auto";
    double fragmentMs = 5.0;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help") return std::printf("%s", usage), 0;
        if (i + 1 >= argc) return fail("missing value after ", argv[i]);
        const char* value = argv[++i];
        if (option == "--seconds") {
            if (!parseNumber(value, seconds) || seconds < 0) return fail("bad seconds: ", value);
        } else if (option == "--threshold") {
            if (!parseNumber(value, threshold) || threshold <= 0 || threshold > 1)
                return fail("bad threshold: ", value);
        } else if (option == "--fragment-ms") {
            if (!parseNumber(value, fragmentMs) || fragmentMs < 1 || fragmentMs > 100)
                return fail("bad fragment: ", value);
        } else if (option == "--clock") {
            clockName = value;
            if (clockName != "server" && clockName != "arrival" && clockName != "auto")
                return fail("bad clock: ", value);
        } else if (option == "--source") {
            source = value;
        } else {
            return fail("unknown option ", option.c_str());
        }
    }
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    PulseClient client;
    if (!client.connect("zuzor onset recorder")) return 1;
    const std::string server = client.serverName();
    if (clockName == "auto")
        clockName = server.find("PipeWire") != std::string::npos ? "arrival" : "server";
    // Float at whatever rate the monitor runs (FIX_RATE): no resampler on the recording
    // path, whose delay the stream's latency might not count.
    const pa_sample_spec wanted{PA_SAMPLE_FLOAT32NE, 44100, 2};
    pa_stream* stream = pa_stream_new(client.context, "onsets", &wanted, nullptr);
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    attr.fragsize = pa_usec_to_bytes(pa_usec_t(fragmentMs * 1000.0), &wanted);
    const auto flags = pa_stream_flags_t(sampledTimingFlags | PA_STREAM_FIX_RATE);
    if (pa_stream_connect_record(stream, source.c_str(), &attr, flags) < 0 ||
        !client.waitReady(stream))
        return 1;
    const pa_sample_spec* spec = pa_stream_get_sample_spec(stream);
    Recording rec;
    rec.rate = int(spec->rate);
    rec.channels = spec->channels;
    OnsetDetector detector(float(threshold), uint64_t(rec.rate / 20));  // 50 ms of quiet
    StreamClock clock(rec.rate);
    StreamClock arrivals(rec.rate);
    rec.detector = &detector;
    rec.arrivals = &arrivals;
    pa_stream_set_read_callback(stream, onReadable, &rec);
    TimingSampler sampler(client.loop, stream, clock, false);

    const double startMs = monotonicNowMs();
    int status = 0;
    while (!stopRequested && (seconds == 0 || monotonicNowMs() - startMs < seconds * 1000.0)) {
        // Wakes at least every 50 ms to see the stop flag and the time limit.
        if (pa_mainloop_prepare(client.loop, 50000) < 0 || pa_mainloop_poll(client.loop) < 0 ||
            pa_mainloop_dispatch(client.loop) < 0) {
            if (stopRequested) break;
            status = 1, client.report("main loop failed");
            break;
        }
        // The server went away: what was recorded until then still counts.
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
            status = 1, client.report("recording stopped");
            break;
        }
    }
    for (uint64_t onset : rec.onsets) {
        const double byServer = clock.leavesAtMs(onset);
        const double byArrival = arrivals.earliestAtMs(onset);
        std::printf("%.3f onset frame %llu server %.3f arrival %.3f\n",
                    clockName == "server" ? byServer : byArrival, (unsigned long long)onset,
                    byServer, byArrival);
    }
    std::fflush(stdout);
    std::fprintf(stderr,
                 "record_onsets: %s of %s at %d Hz, %llu frames, %zu timing samples spread "
                 "%.3f ms, %s clock\n",
                 source.c_str(), server.c_str(), rec.rate, (unsigned long long)rec.frames,
                 clock.samples(), clock.spreadMs(), clockName.c_str());
    if (const char* path = std::getenv("ZUZOR_TIMING_DUMP")) {
        if (FILE* out = std::fopen(path, "w")) clock.write(out), std::fclose(out);
    }
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    return status;
}
