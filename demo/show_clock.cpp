// The show clock as the frame timer reads it.
#include "demo/show_clock.h"

#include "base/constants.h"

namespace zuzor {

bool ShowClock::counterFrequency(int64_t* countsPerSecond) const {
    *countsPerSecond = 1000000000;
    return true;
}

int64_t ShowClock::counter() const {
    return int64_t(frame_ * 1000000000ull / mixRate);
}

uint32_t ShowClock::tickCountMs() const {
    return uint32_t(frame_ * 1000ull / mixRate);
}

}  // namespace zuzor
