// The show's pseudo-random sequence. Each show holds one, starting at 1 and never reseeded;
// the order of its draws is part of the picture.
#pragma once
#include <cstdint>

namespace zuzor {

class RandomSequence {
  public:
    // Next value, 0..32767.
    int32_t next() {
        state_ = state_ * 214013u + 2531011u;
        return int32_t((state_ >> 16) & 0x7FFF);
    }
    // Where the sequence stands: two sequences with the same state draw the same numbers.
    uint32_t state() const { return state_; }

  private:
    uint32_t state_ = 1;
};

}  // namespace zuzor
