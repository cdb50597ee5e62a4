// The show clock: the count of audio frames the show has run through offline (the capture,
// a fast-forward). The frame timer reads it through a TimeSource, so ticks fall where the
// rendered sound says they do and not where the machine's speed would put them.
#pragma once
#include <cstdint>

#include "base/constants.h"
#include "base/frame_timer.h"

namespace zuzor {

// There is one show clock per process, as there is one frame timer.
void setShowClock(uint64_t audioFrame);
uint64_t showClock();

// A high-resolution source in nanoseconds over the show clock (never the fallback path).
const TimeSource& showTimeSource();

}  // namespace zuzor
