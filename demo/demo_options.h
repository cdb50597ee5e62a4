// The demo's command line. With no options the demo runs the show from its start, as ever;
// each option is one row of the table in demo_options.cpp, so more are easy to add.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zuzor {

struct DemoOptions {
    bool hasFrom = false;
    double fromSeconds = 0.0;  // --from: where the show starts
    bool watch = false;        // --watch: reload Data/ when a file changes
    bool window = false;       // --window: an 800x600 window instead of the full screen
    bool mute = false;         // --mute: the music's course on the silent clock, no sound
    bool help = false;         // --help: the usage on standard output, nothing else
    bool version = false;      // --version: the version on standard output, nothing else
    // Every other argument, in order: the toolkit's options (-display, -geometry, -iconic,
    // ...), handed to it unchanged.
    std::vector<const char*> others;
};

// "zuzor <version>", the line --version prints.
extern const char demoVersionLine[];

extern const char demoUsage[];

// False, with a one-line reason, for a bad or missing value of one of the demo's options.
bool parseDemoOptions(int argc, const char* const* argv, DemoOptions& options, std::string& error);

// A moment of the show: seconds ("130", "12.5") or minutes and seconds ("2:10", "0:05.5").
// False for anything else, negative or beyond a day.
bool parseShowTime(const char* text, double& seconds);

}  // namespace zuzor
