// The capture tool's command line.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/constants.h"

namespace zuzor {

struct CaptureOptions {
    std::string module = std::string(dataFolder) + "/" + moduleName;
    std::string out = "zuzor.mp4";  // the video, unless frames or a profile only are asked for
    std::string framesDir;          // PNG frames and a WAV instead of a video
    std::string profileFile;        // the render profile of every drawn frame
    bool outGiven = false;
    int fps = 60;
    int width = 800;
    int height = 600;
    int supersample = 1;  // drawn this many times larger, then filtered down
    double from = 0.0;    // seconds of the show
    bool hasTo = false;
    double to = 0.0;
    std::vector<double> stills;  // only these moments, as PNGs in framesDir
    std::vector<std::string> stillNames;
    bool quiet = false;  // no progress bar
    bool help = false;
};

extern const char captureUsage[];

// False, with a one-line reason in `error`, for an unknown option, a missing or malformed
// value, or values that do not fit together.
bool parseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options,
                         std::string& error);

}  // namespace zuzor
