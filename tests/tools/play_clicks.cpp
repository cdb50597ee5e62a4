// play_clicks: plays clicks into the default sink and prints, for each, the monotonic time at
// which the server says its first sample leaves the sink. A reference for record_onsets:
// both sides of the server's timing should name the same moment for the same click.
//
// The playback stream's timing is asked for every 20 ms: the server names the frame the sink
// is playing at that moment, and a click's time is the median of those estimates within 2 s
// of it.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/pulse_client.h"
#include "tests/support/stream_clock.h"

using namespace zuzor;

namespace {

const char usage[] =
    "usage: play_clicks [--count N] [--first MS]\n"
    "  Plays N clicks (default 20) 300..900 ms apart, the first MS ms into the stream\n"
    "  (default 1000), then half a second of silence, and prints one line per click:\n"
    "    <monotonic ms when the click leaves the sink> click frame <F>\n";

constexpr int rate = 44100;
constexpr int clickFrames = rate * 3 / 1000;  // 3 ms

struct Player {
    std::vector<uint64_t> clicks;  // stream frames where each click starts
    uint64_t written = 0;          // frames written so far
};

float sampleAt(const Player& player, uint64_t frame) {
    for (uint64_t click : player.clicks) {
        if (frame < click || frame >= click + clickFrames) continue;
        const uint64_t k = frame - click;
        // A full-scale square of 2 ms periods, decaying: sharp at its first sample.
        const float envelope = 1.0f - float(k) / clickFrames;
        return ((k / 44) % 2 ? -0.95f : 0.95f) * envelope;
    }
    return 0.0f;
}

void onWritable(pa_stream* stream, size_t bytes, void* userdata) {
    Player& player = *static_cast<Player*>(userdata);
    const size_t frames = bytes / (2 * sizeof(float));
    std::vector<float> buffer(frames * 2);
    for (size_t i = 0; i < frames; ++i)
        buffer[2 * i] = buffer[2 * i + 1] = sampleAt(player, player.written + i);
    pa_stream_write(stream, buffer.data(), buffer.size() * sizeof(float), nullptr, 0,
                    PA_SEEK_RELATIVE);
    player.written += frames;
}

int fail(const char* message, const char* detail) {
    std::fprintf(stderr, "play_clicks: %s%s\n%s", message, detail, usage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 20;
    double firstMs = 1000.0;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help") return std::printf("%s", usage), 0;
        if (i + 1 >= argc) return fail("missing value after ", argv[i]);
        char* end = nullptr;
        const double value = std::strtod(argv[++i], &end);
        if (*end || !std::isfinite(value) || value < 0) return fail("bad value: ", argv[i]);
        if (option == "--count" && value >= 1 && value <= 1000)
            count = int(value);
        else if (option == "--first")
            firstMs = value;
        else
            return fail("bad option or value: ", option.c_str());
    }
    Player player;
    uint64_t at = uint64_t(firstMs * rate / 1000.0);
    srand(7);
    for (int i = 0; i < count; ++i) {
        player.clicks.push_back(at);
        at += uint64_t((300 + rand() % 600) * rate / 1000);
    }
    // Silence goes on being written until the sink has played half a second past the last
    // click: a stream that ran dry would stop its clock short of the end.
    const pa_usec_t doneUs = pa_usec_t((double(player.clicks.back()) / rate + 0.5) * 1e6);
    StreamClock clock(rate);

    PulseClient client;
    if (!client.connect("zuzor click player")) return 1;
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, rate, 2};
    pa_stream* stream = pa_stream_new(client.context, "clicks", &spec, nullptr);
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    attr.tlength = pa_usec_to_bytes(200000, &spec);  // deep enough not to run dry on a busy machine
    attr.prebuf = uint32_t(-1);
    attr.minreq = pa_usec_to_bytes(20000, &spec);
    pa_stream_set_write_callback(stream, onWritable, &player);
    if (pa_stream_connect_playback(stream, nullptr, &attr, sampledTimingFlags, nullptr, nullptr) <
            0 ||
        !client.waitReady(stream))
        return 1;
    TimingSampler sampler(client.loop, stream, clock, true);
    // Until everything is written and the sink has played it all.
    for (;;) {
        if (pa_mainloop_iterate(client.loop, 1, nullptr) < 0) return client.report("loop"), 1;
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) return client.report("stream"), 1;
        pa_usec_t playing = 0;
        if (pa_stream_get_time(stream, &playing) == 0 && playing >= doneUs) break;
    }
    for (uint64_t click : player.clicks)
        std::printf("%.3f click frame %llu\n", clock.leavesAtMs(click), (unsigned long long)click);
    std::fprintf(stderr, "play_clicks: %zu timing samples spread %.3f ms\n", clock.samples(),
                 clock.spreadMs());
    if (const char* path = std::getenv("ZUZOR_TIMING_DUMP")) {
        if (FILE* out = std::fopen(path, "w")) clock.write(out), std::fclose(out);
    }
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    return 0;
}
