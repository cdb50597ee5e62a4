// FrameTimer over the host's monotonic clocks, with the tick-count fallback.
#include "shell/frame_timer.h"

#include <time.h>

namespace {

bool monotonicFrequency(int64_t* countsPerSecond) {
    timespec res{};
    if (clock_getres(CLOCK_MONOTONIC, &res) != 0) return false;
    *countsPerSecond = 1000000000;
    return true;
}

int64_t monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

uint32_t monotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Truncation to 32 bits is intended: the count wraps like a system tick count.
    return uint32_t(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u);
}

uint32_t lowBits(int64_t value) {
    return uint32_t(uint64_t(value));
}

}  // namespace

const TimeSource& systemTimeSource() {
    static const TimeSource clocks{monotonicFrequency, monotonicNanoseconds, monotonicMilliseconds};
    return clocks;
}

void FrameTimer::start() {
    int64_t frequency = 0;
    if (clocks().counterFrequency(&frequency) && frequency > 0) {
        startCount = clocks().counter();
        secondsPerCount = float(1.0 / double(frequency));
    } else {
        highResolution = 0;
        startCount = int64_t((uint64_t(startCount) & ~0xFFFFFFFFull) | clocks().tickCountMs());
    }
}

void FrameTimer::reset() {
    if (highResolution != 0) {
        startCount = clocks().counter();
    } else {
        startCount = int64_t((uint64_t(startCount) & ~0xFFFFFFFFull) | clocks().tickCountMs());
    }
}

float FrameTimer::elapsedMs() const {
    if (highResolution != 0) {
        int64_t counts = clocks().counter() - startCount;
        return float(double(counts) * double(secondsPerCount) * 1000.0);
    }
    uint32_t difference = clocks().tickCountMs() - lowBits(startCount);
    return float(difference);
}
