// Strict parsing: every value whole and in range, so a typo never captures something else.
#include "capture/capture_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "demo/demo_options.h"

namespace zuzor {

const char captureUsage[] =
    "usage: zuzor-capture [options]   (run from the directory that holds Data/)\n"
    "  --out FILE       the video, H.264 and AAC (default zuzor.mp4)\n"
    "  --frames DIR     PNG frames and audio.wav in DIR instead of a video\n"
    "  --fps N          video frames per second, 1 to 240 (default 60)\n"
    "  --size WxH       picture size, 16x16 to 7680x4320 (default 800x600); the 4:3 show\n"
    "                   is centred in another shape, with black bars\n"
    "  --ss N           supersampling: draw N times larger and filter down, 1 to 4\n"
    "                   (default 1); smooth edges, at about N*N times the drawing\n"
    "  --from TIME      start at TIME of the show: seconds or m:ss (default 0)\n"
    "  --to TIME        end at TIME at the latest (default: where the show ends)\n"
    "  --at S,S,...     only the pictures at these moments, as DIR/at-S.png (with --frames)\n"
    "  --profile FILE   the render time of every drawn frame and the tick pace, as a\n"
    "                   report in FILE; alone it only renders, without a video\n"
    "  --module FILE    the module to play (default Data/ZUZOR.XM)\n"
    "  --quiet          no progress bar\n";

namespace {

constexpr double longestShowSeconds = 24.0 * 3600.0;
// The largest surface side the GL is asked for (Mesa's software renderer draws up to this).
constexpr int largestDrawnSide = 16384;

bool parseWhole(const char* text, long low, long high, int& value) {
    if (!*text || std::strchr(" +-", text[0])) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (errno || *end || v < low || v > high) return false;
    value = int(v);
    return true;
}

bool parseSeconds(const char* text, double& value) {
    if (!*text || std::strchr(" +-", text[0])) return false;
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(text, &end);
    if (errno || *end || !std::isfinite(v) || v < 0.0 || v > longestShowSeconds) return false;
    value = v;
    return true;
}

bool parseSize(const char* text, int& width, int& height) {
    const char* x = std::strchr(text, 'x');
    if (!x) return false;
    std::string w(text, x);
    return parseWhole(w.c_str(), 16, 7680, width) && parseWhole(x + 1, 16, 4320, height);
}

bool parseStills(const char* text, CaptureOptions& options) {
    std::string list(text);
    size_t start = 0;
    for (;;) {
        size_t comma = list.find(',', start);
        std::string item = list.substr(start, comma == std::string::npos ? comma : comma - start);
        double seconds = 0.0;
        if (!parseSeconds(item.c_str(), seconds)) return false;
        options.stills.push_back(seconds);
        options.stillNames.push_back(item);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

}  // namespace

bool parseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options,
                         std::string& error) {
    options = CaptureOptions{};
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--quiet") {
            options.quiet = true;
            continue;
        }
        static const char* const valued[] = {"--out",     "--frames", "--fps", "--size",
                                             "--ss",      "--from",   "--to",  "--at",
                                             "--profile", "--module"};
        bool known = false;
        for (const char* v : valued) known = known || name == v;
        if (!known) {
            error = "unknown option " + name;
            return false;
        }
        if (i + 1 >= argc || argv[i + 1][0] == '\0') {
            error = name + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        bool ok = true;
        if (name == "--out") {
            options.out = value;
            options.outGiven = true;
        } else if (name == "--frames") {
            options.framesDir = value;
        } else if (name == "--profile") {
            options.profileFile = value;
        } else if (name == "--module") {
            options.module = value;
        } else if (name == "--fps") {
            ok = parseWhole(value, 1, 240, options.fps);
        } else if (name == "--size") {
            ok = parseSize(value, options.width, options.height);
        } else if (name == "--ss") {
            ok = parseWhole(value, 1, 4, options.supersample);
        } else if (name == "--from") {
            ok = parseShowTime(value, options.from);
        } else if (name == "--to") {
            ok = parseShowTime(value, options.to);
            options.hasTo = true;
        } else if (name == "--at") {
            ok = parseStills(value, options);
        }
        if (!ok) {
            error = "bad value for " + name + ": '" + value + "'";
            return false;
        }
    }
    if (options.help) return true;
    if (std::max(options.width, options.height) * options.supersample > largestDrawnSide) {
        error = "--ss " + std::to_string(options.supersample) + " would draw more than " +
                std::to_string(largestDrawnSide) + " pixels a side";
        return false;
    }
    if (options.hasTo && options.to <= options.from) {
        error = "--to must be later than --from";
        return false;
    }
    if (options.outGiven && !options.framesDir.empty()) {
        error = "--out and --frames exclude each other: a video or frames";
        return false;
    }
    if (!options.stills.empty() && options.framesDir.empty()) {
        error = "--at needs --frames DIR for its pictures";
        return false;
    }
    if (!options.stills.empty() && (options.from > 0.0 || options.hasTo)) {
        error = "--at takes moments of the whole show: it does not go with --from or --to";
        return false;
    }
    const bool video =
        options.framesDir.empty() && (options.outGiven || options.profileFile.empty());
    if (video && (options.width % 2 || options.height % 2)) {
        error = "--size: a video needs an even width and height";
        return false;
    }
    return true;
}

}  // namespace zuzor
