// A diagnostic trace for measuring: when ZUZOR_TRACE names a file, lines are appended to
// it with a monotonic timestamp in ms. Standard output is never touched.
#pragma once

// Opens the file named by ZUZOR_TRACE, if any. Called once at start-up.
void openTraceFromEnvironment();
bool traceEnabled();
// Monotonic milliseconds, the trace's time base.
double traceNowMs();
// Appends "<ms> <text>\n"; printf-style. Does nothing while no trace is open.
void traceLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
