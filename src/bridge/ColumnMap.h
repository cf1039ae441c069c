#pragma once

#include <array>

// Which column feeds each slot (-1: none), found from a header row: the four candidate fields,
// then the group, who does not take part and who does.
class ColumnMap {
  public:
    static constexpr int kFieldSlots = 4;
    static constexpr int kGroup = 4;
    static constexpr int kExcluded = 5;
    static constexpr int kTakesPart = 6;
    static constexpr int kSlots = 7;

    ColumnMap() {
        entries_.fill(-1);
        ranks_.fill(0);
    }

    // Sets the map 0, 1, 2, 3: the first four columns in slot order.
    void SetPositional();
    // Column names slot with a name of this rank (lower is better). The better name wins; of
    // two equal names the later column wins.
    void Offer(int slot, int rank, int column);
    // Whether one of the four candidate fields is named: only that makes a row a header.
    bool Any() const;
    int operator[](int slot) const { return entries_[slot]; }

  private:
    std::array<int, kSlots> entries_;
    std::array<int, kSlots> ranks_;
};
