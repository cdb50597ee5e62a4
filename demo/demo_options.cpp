// One table of options; a value is parsed strictly, so a typo in one never starts something
// else. Whatever is not in the table is left for the window toolkit.
#include "demo/demo_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace zuzor {

const char demoUsage[] =
    "usage: zuzor [options]   (run from the directory that holds Data/)\n"
    "  --from TIME   start the show at TIME: seconds (130) or minutes and seconds (2:10)\n"
    "  --watch       reload Data/ when a file in it changes, at the same moment of the show\n"
    "  --window      an 800x600 window instead of the full screen\n"
    "  --mute        no sound; the show keeps its course on a silent clock\n"
    "  --help        this text\n"
    "  --version     the version\n"
    "Every other argument goes to the window toolkit (-display, -geometry, -iconic, ...).\n"
    "Escape ends the show; every other key is ignored.\n";

const char demoVersionLine[] = "zuzor " ZUZOR_VERSION "\n";

namespace {

constexpr double longestShowSeconds = 24.0 * 3600.0;

bool parseNonNegative(const char* text, double& value) {
    if (!*text || std::strchr(" +-", text[0])) return false;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (errno || *end || !std::isfinite(v) || v < 0.0) return false;
    value = v;
    return true;
}

struct Option {
    const char* name;
    bool takesValue;
    bool (*apply)(const char* value, DemoOptions& options);
};

const Option options[] = {
    {"--from", true,
     [](const char* value, DemoOptions& o) {
         o.hasFrom = true;
         return parseShowTime(value, o.fromSeconds);
     }},
    {"--watch", false,
     [](const char*, DemoOptions& o) {
         o.watch = true;
         return true;
     }},
    {"--window", false,
     [](const char*, DemoOptions& o) {
         o.window = true;
         return true;
     }},
    {"--mute", false,
     [](const char*, DemoOptions& o) {
         o.mute = true;
         return true;
     }},
    {"--help", false,
     [](const char*, DemoOptions& o) {
         o.help = true;
         return true;
     }},
    {"--version", false,
     [](const char*, DemoOptions& o) {
         o.version = true;
         return true;
     }},
};

}  // namespace

bool parseShowTime(const char* text, double& seconds) {
    const char* colon = std::strchr(text, ':');
    double value = 0.0;
    if (!colon) {
        if (!parseNonNegative(text, value)) return false;
    } else {
        const std::string minutesText(text, colon);
        double minutes = 0.0, rest = 0.0;
        if (minutesText.empty() || minutesText.find('.') != std::string::npos ||
            !parseNonNegative(minutesText.c_str(), minutes) || !parseNonNegative(colon + 1, rest) ||
            rest >= 60.0 || colon[1] == '.' || std::strlen(colon + 1) < 2)
            return false;
        value = minutes * 60.0 + rest;
    }
    if (value > longestShowSeconds) return false;
    seconds = value;
    return true;
}

bool parseDemoOptions(int argc, const char* const* argv, DemoOptions& parsed, std::string& error) {
    parsed = DemoOptions{};
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        const Option* option = nullptr;
        for (const Option& o : options)
            if (name == o.name) option = &o;
        if (!option) {
            parsed.others.push_back(argv[i]);
            continue;
        }
        const char* value = nullptr;
        if (option->takesValue) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                error = name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (!option->apply(value, parsed)) {
            error = "bad value for " + name + ": '" + value + "'";
            return false;
        }
    }
    return true;
}

}  // namespace zuzor
