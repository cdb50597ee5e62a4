// FrameTimer: milliseconds since the last start or reset, driving the 50 ms tick.
// The time source is injectable so tests and the offline capture can drive it.
#pragma once
#include <cstdint>

namespace zuzor {

// Where the timer reads time. The counter path needs a frequency; the fallback path is a
// 32-bit millisecond count that wraps after 2^32 ms.
struct TimeSource {
    bool (*counterFrequency)(int64_t* countsPerSecond);  // false: no counter on this system
    int64_t (*counter)();
    uint32_t (*tickCountMs)();
};

// The run's clock (base/clock.h): the host's counter and its 32-bit millisecond count.
const TimeSource& systemTimeSource();

struct FrameTimer {
    int32_t highResolution = 1;  // 1: counter, 0: millisecond count
    int64_t startCount = 0;      // with the millisecond count only the low 32 bits are used
    float secondsPerCount = 0.0f;
    const TimeSource* source = nullptr;  // null: the system's clocks

    void start();
    void reset();
    float elapsedMs() const;

  private:
    const TimeSource& clocks() const { return source ? *source : systemTimeSource(); }
};

}  // namespace zuzor
