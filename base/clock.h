// The one clock of the run: the host's high-resolution monotonic counter, with the 32-bit
// millisecond count as the fallback the frame timer knows. The trace, the frame timer's
// system source, the heard-time estimate and every measurement read it, so their
// timestamps compare directly.
//
// Each platform implements these in platform/<os>/clock.cpp.
#pragma once
#include <cstdint>

namespace zuzor {

// The counter's frequency in counts per second; false when the host has no such counter.
bool counterFrequency(int64_t* countsPerSecond);
// The counter now. Only differences between two readings mean anything.
int64_t counterNow();
// Milliseconds as a 32-bit count that wraps after 2^32 ms, like a system tick count.
uint32_t tickCountMs();

// The counter in nanoseconds and milliseconds: the run's time base.
int64_t monotonicNs();
inline double monotonicMs() {
    return double(monotonicNs()) / 1e6;
}

// `counts` of a counter running at `countsPerSecond` (at most 9.2 GHz) in nanoseconds.
// Whole seconds and the rest are scaled apart: counts * 1e9 would overflow 64 bits after
// 15 minutes of a 10 MHz counter, and such counters start at the host's boot.
inline int64_t countsToNs(int64_t counts, int64_t countsPerSecond) {
    constexpr int64_t nsPerSecond = 1000000000;
    return counts / countsPerSecond * nsPerSecond +
           counts % countsPerSecond * nsPerSecond / countsPerSecond;
}

}  // namespace zuzor
