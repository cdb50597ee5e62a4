// The measuring trace behind ZUZOR_TRACE.
#include "base/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "base/clock.h"

namespace zuzor {

namespace {

// Every line is flushed as it is written, and the process's exit closes the file.
struct TraceFile {
    std::FILE* file = nullptr;
    std::mutex lines;  // one line at a time also when the start-up's threads write
};
TraceFile trace;

}  // namespace

void openTraceFromEnvironment() {
    const char* path = std::getenv("ZUZOR_TRACE");
    if (trace.file || !path || !*path) return;
    trace.file = std::fopen(path, "a");
    if (!trace.file) std::fprintf(stderr, "zuzor: cannot open trace file %s\n", path);
}

bool traceEnabled() {
    return trace.file != nullptr;
}

void traceLine(const char* format, ...) {
    if (!trace.file) return;
    std::lock_guard<std::mutex> lock(trace.lines);
    std::fprintf(trace.file, "%.3f ", monotonicMs());
    va_list args;
    va_start(args, format);
    std::vfprintf(trace.file, format, args);
    va_end(args);
    std::fputc('\n', trace.file);
    std::fflush(trace.file);
}

}  // namespace zuzor
