// On a terminal the line is redrawn in place; into a file or pipe a line is written now
// and then instead, so logs stay readable.
#include "capture/progress_bar.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/clock.h"
#include "base/constants.h"

namespace zuzor {

void formatMinutes(double seconds, char* out, int size) {
    const long whole = std::lround(std::clamp(seconds, 0.0, 1e9));
    std::snprintf(out, size_t(size), "%ld:%02ld", whole / 60, whole % 60);
}

ProgressBar::ProgressBar(bool enabled)
    : enabled_(enabled),
      terminal_(isatty(2) != 0),
      startMs_(monotonicMs()),
      lastDrawMs_(startMs_) {}

void ProgressBar::update(uint64_t done, uint64_t total) {
    if (!enabled_) return;
    const double now = monotonicMs();
    const double everyMs = terminal_ ? 200.0 : 10000.0;
    if (drawn_ && now - lastDrawMs_ < everyMs) return;
    lastDrawMs_ = now;
    draw(done, total);
}

void ProgressBar::finish(uint64_t done) {
    if (!enabled_) return;
    draw(done, done);
    if (terminal_) std::fputc('\n', stderr);
}

void ProgressBar::draw(uint64_t done, uint64_t total) {
    drawn_ = true;
    const double fraction = total ? std::min(1.0, double(done) / double(total)) : 1.0;
    constexpr int width = 30;
    char bar[width + 1];
    const int filled = int(fraction * width);
    for (int i = 0; i < width; ++i) bar[i] = i < filled ? '#' : '-';
    bar[width] = '\0';
    const double elapsed = (monotonicMs() - startMs_) / 1000.0;
    char show[48], length[48], spent[48], left[48];
    formatMinutes(double(done) / mixRate, show, sizeof show);
    formatMinutes(double(total) / mixRate, length, sizeof length);
    formatMinutes(elapsed, spent, sizeof spent);
    if (fraction > 0.0)
        formatMinutes(elapsed * (1.0 - fraction) / fraction, left, sizeof left);
    else
        std::snprintf(left, sizeof left, "?");
    std::fprintf(stderr, "%s[%s] %3d%%  show %s/%s  elapsed %s  eta %s%s", terminal_ ? "\r" : "",
                 bar, int(fraction * 100.0), show, length, spent, left,
                 terminal_ ? "\033[K" : "\n");
    std::fflush(stderr);
}

}  // namespace zuzor
