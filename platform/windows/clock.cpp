// The clock on Windows: the performance counter, and the system's 32-bit tick count for
// hosts without one.
#include <windows.h>

#include "base/clock.h"

namespace zuzor {

bool counterFrequency(int64_t* countsPerSecond) {
    LARGE_INTEGER frequency{};
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return false;
    *countsPerSecond = frequency.QuadPart;
    return true;
}

int64_t counterNow() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

uint32_t tickCountMs() {
    return GetTickCount();
}

int64_t monotonicNs() {
    int64_t frequency = 0;
    if (!counterFrequency(&frequency)) return int64_t(GetTickCount64()) * 1000000;
    return countsToNs(counterNow(), frequency);
}

}  // namespace zuzor
