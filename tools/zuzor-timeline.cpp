// zuzor-timeline: the script of a module as the demo plays it, one pass through the
// song, rendered offline at full speed with the demo's own renderer.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "base/constants.h"
#include "base/file_bytes.h"
#include "demo/sync_events.h"
#include "sync/song_renderer.h"
#include "tools/timeline_svg.h"

using namespace zuzor;

namespace {

constexpr int sampleRate = mixRate;

struct Collect final : SyncEventSink {
    std::vector<SyncEvent> events;
    void onEvent(const SyncEvent& event) override { events.push_back(event); }
};

void printTime(uint64_t frame) {
    const uint64_t ms = (frame * 1000 + sampleRate / 2) / sampleRate;
    std::printf("%02" PRIu64 ":%02" PRIu64 ".%03" PRIu64, ms / 60000, ms / 1000 % 60, ms % 1000);
}

// The waveform at a fine step, reduced to the picture's columns once the length is known.
struct Envelope {
    static constexpr size_t step = 256;
    std::vector<float> low, high;
    float stepLow = 0.0f, stepHigh = 0.0f;
    size_t inStep = 0;
    void add(const float* stereo, size_t frames) {
        for (size_t i = 0; i < frames; ++i) {
            const float v = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
            stepLow = std::min(stepLow, v);
            stepHigh = std::max(stepHigh, v);
            if (++inStep == step) {
                low.push_back(stepLow);
                high.push_back(stepHigh);
                stepLow = stepHigh = 0.0f;
                inStep = 0;
            }
        }
    }
    void columns(size_t count, TimelinePicture& picture) const {
        picture.low.assign(count, 0.0f);
        picture.high.assign(count, 0.0f);
        for (size_t i = 0; i < low.size(); ++i) {
            const size_t c = std::min(count - 1, i * count / std::max<size_t>(1, low.size()));
            picture.low[c] = std::min(picture.low[c], low[i]);
            picture.high[c] = std::max(picture.high[c], high[i]);
        }
    }
};

const char usage[] =
    "usage: zuzor-timeline [--svg FILE] [MODULE]   (default Data/ZUZOR.XM)\n"
    "  lists the script as the demo plays it; with --svg also draws it over the song's\n"
    "  waveform into FILE\n";

}  // namespace

int main(int argc, char** argv) {
    std::string path = "Data/ZUZOR.XM", svgPath;
    bool pathGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--svg" && i + 1 < argc) {
            svgPath = argv[++i];
        } else if (!pathGiven && !arg.empty() && (arg[0] != '-' || arg == "-")) {
            path = arg;
            pathGiven = true;
        } else {
            std::fputs(usage, stderr);
            return 2;
        }
    }
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) {
        std::fprintf(stderr, "zuzor-timeline: cannot read %s\n", path.c_str());
        return 1;
    }
    std::string error;
    auto renderer = SongRenderer::create(bytes.data(), bytes.size(), sampleRate, false, error);
    if (!renderer) {
        std::fprintf(stderr, "zuzor-timeline: cannot load %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    Collect collect;
    Envelope envelope;
    std::vector<float> sound(2 * 65536);
    while (!renderer->ended()) {
        if (svgPath.empty()) {
            renderer->render(nullptr, 65536, collect);
        } else {
            const size_t got = renderer->render(sound.data(), 65536, collect);
            envelope.add(sound.data(), got);
        }
    }

    std::printf("# time      order pattern row channel code      action\n");
    for (const SyncEvent& event : collect.events) {
        const char* action = describeSyncEvent(event.code);
        printTime(event.frame);
        std::printf("  %5u %7u %3u %7u  Z%02X %3u  %s\n", event.order, event.pattern, event.row,
                    event.channel, event.code, event.code, action ? action : "no action");
    }
    std::printf("# %zu events, song length ", collect.events.size());
    printTime(renderer->framesRendered());
    std::printf("\n");

    if (!svgPath.empty()) {
        TimelinePicture picture;
        picture.events = collect.events;
        picture.songFrames = renderer->framesRendered();
        picture.sampleRate = sampleRate;
        const size_t slash = path.find_last_of("/\\");
        picture.title = slash == std::string::npos ? path : path.substr(slash + 1);
        envelope.columns(1500, picture);
        const std::string svg = timelineSvg(picture);
        if (!writeWholeFile(svgPath, std::vector<uint8_t>(svg.begin(), svg.end()))) {
            std::fprintf(stderr, "zuzor-timeline: cannot write %s\n", svgPath.c_str());
            return 1;
        }
    }
    return 0;
}
