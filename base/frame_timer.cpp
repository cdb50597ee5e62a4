// FrameTimer over the run's clock: the host's counter, with the tick-count fallback.
#include "base/frame_timer.h"

#include "base/clock.h"

namespace zuzor {

namespace {

uint32_t lowBits(int64_t value) {
    return uint32_t(uint64_t(value));
}

}  // namespace

const TimeSource& systemTimeSource() {
    static const TimeSource clocks{counterFrequency, counterNow, tickCountMs};
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

}  // namespace zuzor
