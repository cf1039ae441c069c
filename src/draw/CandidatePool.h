#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The ids a roll may pick, in order. Taking the id at a position removes it and moves the
// later ones up one place, as a plain vector would, but in logarithmic time: a roll over
// 100,000 candidates must stay far below the 20 ms tick (a Fenwick tree over alive flags).
class CandidatePool {
  public:
    size_t size() const { return alive_; }
    bool empty() const { return alive_ == 0; }
    void clear();
    void push_back(int32_t id);
    void append(const std::vector<int32_t>& ids);
    // Removes and returns the id at position pos (0 <= pos < size()).
    int32_t TakeAt(size_t pos);
    int32_t At(size_t pos) const;
    // The ids in order.
    std::vector<int32_t> Ids() const;

  private:
    size_t FindSlot(size_t pos) const;  // slot of the pos-th alive id
    void Rebuild();
    void Compact();

    std::vector<int32_t> ids_;
    std::vector<uint8_t> isAlive_;
    std::vector<int32_t> tree_;  // 1-based Fenwick tree of isAlive_
    size_t alive_ = 0;
};
