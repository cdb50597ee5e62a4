// zuzor-timeline: the script of a module as the demo plays it, one pass through the
// song, rendered offline at full speed with the demo's own renderer.
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "base/constants.h"
#include "base/file_bytes.h"
#include "demo/sync_events.h"
#include "sync/song_renderer.h"

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

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && argv[1][0] == '-' && argv[1][1] != '\0')) {
        std::fprintf(stderr, "usage: zuzor-timeline [MODULE]   (default Data/ZUZOR.XM)\n");
        return 2;
    }
    const std::string path = argc == 2 ? argv[1] : std::string(dataFolder) + "/" + moduleName;
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
    while (!renderer->ended()) renderer->render(nullptr, 65536, collect);

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
    return 0;
}
