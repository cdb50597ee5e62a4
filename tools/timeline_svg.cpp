// The scenes come from the demo's own event table applied to a show's switches, so the
// picture can never tell another story than the demo plays.
#include "tools/timeline_svg.h"

#include <cstdio>
#include <memory>

#include "demo/demo_state.h"
#include "demo/shell_hooks.h"
#include "demo/start_up.h"
#include "demo/sync_events.h"

namespace zuzor {

namespace {

constexpr int width = 1600;
constexpr int left = 60;  // room for the labels of the bands
constexpr int plotWidth = width - left - 20;
constexpr int waveTop = 40, waveHeight = 160;
constexpr int bandTop = waveTop + waveHeight + 20, bandHeight = 18;
constexpr int markTop = bandTop + 4 * (bandHeight + 4) + 10, markRows = 6, markRowHeight = 16;
constexpr int height = markTop + markRows * markRowHeight + 40;

struct Effect {
    const char* name;
    const char* colour;
    bool DemoState::*on;
};
const Effect effects[] = {{"voxels", "#8a6fd1", &DemoState::showVoxels},
                          {"tower", "#e0884f", &DemoState::showTower},
                          {"grid", "#4fae8a", &DemoState::showGrid},
                          {"warp", "#4f8fe0", &DemoState::showWarp}};

struct NoHooks final : ShellHooks {
    void requestRedraw() override {}
    void shutdown() override {}
};

std::string format(const char* pattern, double a = 0, double b = 0, double c = 0, double d = 0) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    return text;
}

std::string code(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "Z%02X", unsigned(value));
    return text;
}

}  // namespace

std::string timelineSvg(const TimelinePicture& p) {
    const double frames = double(p.songFrames ? p.songFrames : 1);
    auto x = [&](uint64_t frame) { return left + plotWidth * double(frame) / frames; };
    std::string svg = format(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
        "font-family=\"sans-serif\" font-size=\"11\">\n<rect width=\"100%%\" height=\"100%%\" "
        "fill=\"white\"/>\n",
        width, height);
    svg += "<text x=\"" + std::to_string(left) + "\" y=\"24\" font-size=\"15\">" + p.title +
           " &#8212; " + std::to_string(p.events.size()) + " events</text>\n";

    // Time: a line and label every ten seconds.
    const double seconds = frames / p.sampleRate;
    for (int s = 0; s <= int(seconds); s += 10) {
        const double at = x(uint64_t(s) * uint64_t(p.sampleRate));
        svg += format("<line x1=\"%.1f\" y1=\"%.0f\" x2=\"%.1f\" y2=\"%.0f\" stroke=\"#ddd\"/>\n",
                      at, waveTop, at, height - 30);
        svg += format("<text x=\"%.1f\" y=\"%.0f\" text-anchor=\"middle\" fill=\"#666\">", at,
                      height - 16) +
               format("%.0f:%02.0f</text>\n", s / 60, s % 60);
    }

    // The waveform, one vertical stroke per column.
    std::string wave;
    const double mid = waveTop + waveHeight / 2.0;
    for (size_t i = 0; i < p.low.size(); ++i) {
        const double column = left + double(i) * plotWidth / double(p.low.size());
        wave += format("M%.1f %.1fV%.1f", column, mid - p.high[i] * waveHeight / 2.0,
                       mid - p.low[i] * waveHeight / 2.0 + 0.5);
    }
    svg += "<path d=\"" + wave + "\" stroke=\"#333\" stroke-width=\"1\" fill=\"none\"/>\n";

    // The scenes: the switches as the table sets them, a band per effect.
    auto state = std::make_unique<DemoState>();
    setStartSwitches(*state);
    NoHooks hooks;
    bool was[4];
    uint64_t since[4] = {0, 0, 0, 0};
    for (int e = 0; e < 4; ++e) was[e] = state.get()->*effects[e].on;
    auto band = [&](int e, uint64_t from, uint64_t to) {
        if (to > from)
            svg += format("<rect x=\"%.1f\" y=\"%.0f\" width=\"%.1f\" height=\"%.0f\" ", x(from),
                          bandTop + e * (bandHeight + 4), x(to) - x(from), bandHeight) +
                   "fill=\"" + effects[e].colour + "\"/>\n";
    };
    for (const SyncEvent& event : p.events) {
        onSyncEvent(*state, hooks, event.code);
        for (int e = 0; e < 4; ++e) {
            const bool on = state.get()->*effects[e].on;
            if (on == was[e]) continue;
            if (was[e]) band(e, since[e], event.frame);
            since[e] = event.frame;
            was[e] = on;
        }
    }
    for (int e = 0; e < 4; ++e) {
        if (was[e]) band(e, since[e], p.songFrames);
        svg += format("<text x=\"%.0f\" y=\"%.0f\" text-anchor=\"end\">", left - 6,
                      bandTop + e * (bandHeight + 4) + 13) +
               effects[e].name + "</text>\n";
    }

    // The events: a tick on the time line and the code, on rows so neighbours stay legible.
    int row = 0;
    for (const SyncEvent& event : p.events) {
        const double at = x(event.frame);
        const bool end = describeSyncEvent(event.code) && event.code == 0x64;
        const char* colour = end ? "#c00" : describeSyncEvent(event.code) ? "#000" : "#999";
        const double y = markTop + row * markRowHeight;
        svg += format("<line x1=\"%.1f\" y1=\"%.0f\" x2=\"%.1f\" y2=\"%.0f\" ", at, waveTop, at,
                      waveTop + waveHeight) +
               "stroke=\"" + colour + "\" stroke-opacity=\"0.25\"/>\n";
        svg += format("<text x=\"%.1f\" y=\"%.0f\" font-size=\"9\" ", at, y + 10) + "fill=\"" +
               colour + "\">" + code(event.code) + "<title>" +
               format("%.3f s: ", double(event.frame) / p.sampleRate) +
               (describeSyncEvent(event.code) ? describeSyncEvent(event.code) : "no action") +
               "</title></text>\n";
        row = (row + 1) % markRows;
    }
    const double end = x(p.songFrames);
    svg += format(
        "<line x1=\"%.1f\" y1=\"%.0f\" x2=\"%.1f\" y2=\"%.0f\" stroke=\"#c00\" "
        "stroke-width=\"2\"/>\n",
        end, waveTop, end, height - 30);
    svg += "</svg>\n";
    return svg;
}

}  // namespace zuzor
