// FrameTimer: milliseconds since the last start or reset, driving the 50 ms tick.
// The time source is injectable so tests and the offline capture can drive it.
#pragma once
#include <cstdint>

namespace zuzor {

// Where the timer reads time. The counter path needs a frequency; the fallback path is a
// 32-bit millisecond count that wraps after 2^32 ms.
struct TimeSource {
    virtual bool counterFrequency(int64_t* countsPerSecond) const = 0;  // false: no counter
    virtual int64_t counter() const = 0;
    virtual uint32_t tickCountMs() const = 0;

  protected:
    ~TimeSource() = default;
};

// The run's clock (base/clock.h): the host's counter and its 32-bit millisecond count.
const TimeSource& systemTimeSource();

class FrameTimer {
  public:
    // Starts timing on `source`; null: the system's clocks.
    void start(const TimeSource* source = nullptr);
    void reset();
    float elapsedMs() const;
    // Goes over to `source` (null: the system's clocks), the time since the last start or
    // reset carried over, so the next tick keeps its phase.
    void continueOn(const TimeSource* source);
    // Whether the counter is read (else the millisecond count).
    bool highResolution() const { return highResolution_ != 0; }

  private:
    const TimeSource& clocks() const { return source_ ? *source_ : systemTimeSource(); }

    int32_t highResolution_ = 1;  // 1: counter, 0: millisecond count
    int64_t startCount_ = 0;      // with the millisecond count only the low 32 bits are used
    float secondsPerCount_ = 0.0f;
    const TimeSource* source_ = nullptr;
};

}  // namespace zuzor
