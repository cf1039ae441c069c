#pragma once

#include <cstdint>

// Where the draw takes its chance from: uniform whole numbers below a bound.
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    // A uniform value in [0, bound); bound must be at least 1.
    virtual uint64_t Below(uint64_t bound) = 0;
};
