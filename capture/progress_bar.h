// A one-line progress bar on stderr: how much of the show is done, the time spent and an
// estimate of the time left. Redrawn a few times a second at most.
#pragma once
#include <cstdint>

namespace zuzor {

class ProgressBar {
  public:
    explicit ProgressBar(bool enabled);
    // `done` and `total` in audio frames of the show.
    void update(uint64_t done, uint64_t total);
    // Draws the final state and ends the line.
    void finish(uint64_t done);

  private:
    void draw(uint64_t done, uint64_t total);

    bool enabled_;
    bool terminal_;
    double startMs_;  // on the run's clock
    double lastDrawMs_;
    bool drawn_ = false;
};

// Seconds as m:ss.
void formatMinutes(double seconds, char* out, int size);

}  // namespace zuzor
