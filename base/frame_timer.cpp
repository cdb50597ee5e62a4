// FrameTimer over the run's clock: the host's counter, with the tick-count fallback.
#include "base/frame_timer.h"

#include "base/clock.h"

namespace zuzor {

namespace {

uint32_t lowBits(int64_t value) {
    return uint32_t(uint64_t(value));
}

int64_t withLowBits(int64_t value, uint32_t low) {
    return int64_t((uint64_t(value) & ~0xFFFFFFFFull) | low);
}

struct SystemClocks final : TimeSource {
    bool counterFrequency(int64_t* countsPerSecond) const override {
        return zuzor::counterFrequency(countsPerSecond);
    }
    int64_t counter() const override { return counterNow(); }
    uint32_t tickCountMs() const override { return zuzor::tickCountMs(); }
};

}  // namespace

const TimeSource& systemTimeSource() {
    static const SystemClocks clocks;
    return clocks;
}

void FrameTimer::start(const TimeSource* source) {
    source_ = source;
    int64_t frequency = 0;
    if (clocks().counterFrequency(&frequency) && frequency > 0) {
        startCount_ = clocks().counter();
        secondsPerCount_ = float(1.0 / double(frequency));
    } else {
        highResolution_ = 0;
        startCount_ = withLowBits(startCount_, clocks().tickCountMs());
    }
}

void FrameTimer::reset() {
    if (highResolution_ != 0) {
        startCount_ = clocks().counter();
    } else {
        startCount_ = withLowBits(startCount_, clocks().tickCountMs());
    }
}

float FrameTimer::elapsedMs() const {
    if (highResolution_ != 0) {
        int64_t counts = clocks().counter() - startCount_;
        return float(double(counts) * double(secondsPerCount_) * 1000.0);
    }
    uint32_t difference = clocks().tickCountMs() - lowBits(startCount_);
    return float(difference);
}

void FrameTimer::continueOn(const TimeSource* source) {
    const double elapsed = elapsedMs();
    highResolution_ = 1;
    start(source);
    if (highResolution_ != 0) {
        startCount_ -= int64_t(elapsed / 1000.0 / double(secondsPerCount_));
    } else {
        startCount_ = withLowBits(startCount_, lowBits(startCount_) - uint32_t(elapsed));
    }
}

}  // namespace zuzor
