#pragma once

#include <QString>

#include <cstddef>
#include <vector>

// Which draw keys of a list are empty or repeated. Repeats are judged by the user locale's
// case-sensitive collation, as the draw judges them, through sort keys so that 100,000 keys are
// checked in one sort rather than pair by pair.
class DrawKeyCheck {
  public:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    // keys: trimmed draw keys in list order.
    explicit DrawKeyCheck(const std::vector<QString>& keys);

    // The first empty key, and the first key that repeats one before it; kNone when none.
    size_t FirstEmpty() const { return firstEmpty_; }
    size_t FirstRepeat() const { return firstRepeat_; }
    // Every set of positions sharing a key, each in list order, the sets in the order of their
    // first position.
    const std::vector<std::vector<size_t>>& Repeats() const { return repeats_; }
    const std::vector<size_t>& Empties() const { return empties_; }

  private:
    size_t firstEmpty_ = kNone;
    size_t firstRepeat_ = kNone;
    std::vector<std::vector<size_t>> repeats_;
    std::vector<size_t> empties_;
};
