// The measuring trace behind ZUZOR_TRACE.
#include "shell/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {
FILE* traceFile = nullptr;
}

void openTraceFromEnvironment() {
    const char* path = std::getenv("ZUZOR_TRACE");
    if (traceFile || !path || !*path) return;
    traceFile = std::fopen(path, "a");
    if (!traceFile) std::fprintf(stderr, "zuzor: cannot open trace file %s\n", path);
}

bool traceEnabled() {
    return traceFile != nullptr;
}

double traceNowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

void traceLine(const char* format, ...) {
    if (!traceFile) return;
    std::fprintf(traceFile, "%.3f ", traceNowMs());
    va_list args;
    va_start(args, format);
    std::vfprintf(traceFile, format, args);
    va_end(args);
    std::fputc('\n', traceFile);
    std::fflush(traceFile);
}
