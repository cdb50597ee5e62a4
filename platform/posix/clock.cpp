// The clock on POSIX hosts: CLOCK_MONOTONIC, whose counts are nanoseconds.
#include <time.h>

#include "base/clock.h"

namespace zuzor {

bool counterFrequency(int64_t* countsPerSecond) {
    timespec resolution{};
    if (clock_getres(CLOCK_MONOTONIC, &resolution) != 0) return false;
    *countsPerSecond = 1000000000;
    return true;
}

int64_t counterNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

uint32_t tickCountMs() {
    // Truncation to 32 bits is intended: the count wraps like a system tick count.
    return uint32_t(uint64_t(counterNow()) / 1000000u);
}

int64_t monotonicNs() {
    return counterNow();
}

}  // namespace zuzor
