// The show clock and the frame timer's view of it.
#include "demo/show_clock.h"

namespace zuzor {

namespace {

uint64_t currentFrame = 0;

bool nanosecondFrequency(int64_t* countsPerSecond) {
    *countsPerSecond = 1000000000;
    return true;
}

int64_t nanoseconds() {
    return int64_t(currentFrame * 1000000000ull / mixRate);
}

uint32_t milliseconds() {
    return uint32_t(currentFrame * 1000ull / mixRate);
}

}  // namespace

void setShowClock(uint64_t audioFrame) {
    currentFrame = audioFrame;
}
uint64_t showClock() {
    return currentFrame;
}

const TimeSource& showTimeSource() {
    static const TimeSource source{nanosecondFrequency, nanoseconds, milliseconds};
    return source;
}

}  // namespace zuzor
