// FrameTimer: milliseconds since the last start or reset, driving the 50 ms tick.
// The time source is injectable so tests and the offline capture can drive it.
#pragma once
#include <cstdint>

// Where the timer reads time. The counter path needs a frequency; the fallback path is a
// 32-bit millisecond count that wraps after 2^32 ms.
struct TimeSource {
    bool (*counterFrequency)(int64_t* countsPerSecond);  // false: no counter on this system
    int64_t (*counter)();
    uint32_t (*tickCountMs)();
};

// The host's monotonic clocks: a nanosecond counter and a 32-bit millisecond count.
const TimeSource& systemTimeSource();

struct FrameTimer {
    int32_t highResolution = 1;  // 1: counter, 0: millisecond count
    int64_t startCount;          // with the millisecond count only the low 32 bits are used
    float secondsPerCount;
    const TimeSource* source;  // null: the system's clocks

    void start();
    void reset();
    float elapsedMs() const;

  private:
    const TimeSource& clocks() const { return source ? *source : systemTimeSource(); }
};
