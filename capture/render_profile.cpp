// Percentiles by nearest rank: every figure is a time that was really measured.
#include "capture/render_profile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/constants.h"

namespace zuzor {

Percentiles percentilesOf(std::vector<double> values) {
    Percentiles p;
    if (values.empty()) return p;
    std::sort(values.begin(), values.end());
    auto rank = [&](double q) {
        size_t i = size_t(std::ceil(q * double(values.size())));
        return values[std::min(values.size(), std::max<size_t>(i, 1)) - 1];
    };
    p.p50 = rank(0.50);
    p.p99 = rank(0.99);
    p.max = values.back();
    double sum = 0.0;
    for (double v : values) sum += v;
    p.mean = sum / double(values.size());
    return p;
}

namespace {

const char* endName(CaptureEnd end) {
    switch (end) {
        case CaptureEnd::quitEvent:
            return "the quit event";
        case CaptureEnd::toTime:
            return "--to";
        case CaptureEnd::songEnd:
            return "the end of the song (no quit event)";
        case CaptureEnd::stopped:
            break;
    }
    return "stopped";
}

}  // namespace

std::string profileReport(const CaptureSettings& settings, const CaptureReport& report,
                          double wallSeconds) {
    std::vector<double> intervals;
    for (size_t i = 1; i < report.tickFrames.size(); ++i)
        intervals.push_back(double(report.tickFrames[i] - report.tickFrames[i - 1]) * 1000.0 /
                            mixRate);
    const Percentiles draw = percentilesOf(report.drawMs);
    const Percentiles tick = percentilesOf(intervals);
    const double showSeconds = double(report.endFrame) / mixRate;
    const double drawnPerSecond = showSeconds > 0.0 ? double(report.drawnFrames) / showSeconds : 0;

    double slowestAt = 0.0;
    for (size_t i = 0; i < report.drawMs.size() && i < report.drawFrames.size(); ++i)
        if (report.drawMs[i] == draw.max) slowestAt = double(report.drawFrames[i]) / mixRate;

    char text[2048];
    std::snprintf(text, sizeof text,
                  "renderer:            %s, OpenGL %s\n"
                  "picture:             %dx%d\n"
                  "show:                %.3f s, ended on %s\n"
                  "wall time:           %.2f s (%.2f x real time)\n"
                  "drawn frames:        %llu (%.2f per second of show)\n"
                  "render ms per frame: p50 %.3f  p99 %.3f  max %.3f  mean %.3f\n"
                  "slowest frame:       at %.3f s of the show\n"
                  "ticks:               %zu (%.3f per second of show)\n"
                  "tick interval ms:    p50 %.3f  p99 %.3f  max %.3f  mean %.3f\n",
                  report.renderer.c_str(), report.glVersion.c_str(), settings.width,
                  settings.height, showSeconds, endName(report.end), wallSeconds,
                  showSeconds > 0.0 ? wallSeconds / showSeconds : 0.0,
                  (unsigned long long)report.drawnFrames, drawnPerSecond, draw.p50, draw.p99,
                  draw.max, draw.mean, slowestAt, report.tickFrames.size(),
                  showSeconds > 0.0 ? double(report.tickFrames.size()) / showSeconds : 0.0,
                  tick.p50, tick.p99, tick.max, tick.mean);
    return text;
}

}  // namespace zuzor
