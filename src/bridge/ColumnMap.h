#pragma once

#include <array>

// Which column feeds each of the four slots (-1: none), found from a header row.
class ColumnMap {
  public:
    ColumnMap() {
        entries_.fill(-1);
        ranks_.fill(0);
    }

    // Sets the map 0, 1, 2, 3: the first four columns in slot order.
    void SetPositional();
    // Column names slot with a name of this rank (lower is better). The better name wins; of
    // two equal names the later column wins.
    void Offer(int slot, int rank, int column);
    bool Any() const;
    int operator[](int slot) const { return entries_[slot]; }

  private:
    std::array<int, 4> entries_;
    std::array<int, 4> ranks_;
};
