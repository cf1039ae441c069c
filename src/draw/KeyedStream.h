#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "draw/RandomSource.h"

// A ChaCha20 key stream (libsodium) read as 64-bit values. The same key always gives the same
// values, so a draw made with it can be replayed once the key is known, and nobody can foresee
// them without it.
class KeyedStream : public RandomSource {
  public:
    using Key = std::array<uint8_t, 32>;

    explicit KeyedStream(const Key& key);

    uint64_t Next64();
    // Rejection keeps every value equally likely: only the highest multiple of bound below
    // 2^64 values are used.
    uint64_t Below(uint64_t bound) override;

  private:
    void Refill();

    Key key_;
    std::array<uint8_t, 1024> buffer_{};
    size_t pos_ = 0;
    uint32_t block_ = 0;  // ChaCha20 block counter of the next refill
};
