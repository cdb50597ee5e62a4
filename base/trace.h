// A diagnostic trace for measuring: when ZUZOR_TRACE names a file, lines are appended to
// it with the run's clock in ms (base/clock.h). Standard output is never touched.
#pragma once

namespace zuzor {

// Opens the file named by ZUZOR_TRACE, if any. Called once at start-up.
void openTraceFromEnvironment();
bool traceEnabled();
// Appends "<ms> <text>\n"; printf-style. Does nothing while no trace is open.
void traceLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace zuzor
