#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "draw/CandidatePool.h"

class RandomSource;

// Who a roll may pick: the pool, and the ids picked since the pool was last refilled. The
// show and the verifier both draw through this class, so a replay runs the very same steps.
class DrawPool {
  public:
    // The pool becomes ids, in order; nothing is pending.
    void Reset(const std::vector<int32_t>& ids);
    void Clear();

    // Up to k distinct ids, each uniform over the pool as it stands at its pick. A picked id
    // leaves the pool at once; when the pool runs empty it is refilled from the pending list,
    // so a long roll shows everyone. The picks become pending after the roll.
    std::vector<int32_t> Roll(int k, RandomSource& random);
    // Records the last roll as winners: without repeats they leave the pending list for good;
    // everything still pending goes back to the pool.
    void Commit(const std::vector<int32_t>& winners, bool allowRepeat);

    size_t Remaining() const { return pool_.size() + pending_.size(); }
    std::vector<int32_t> PoolIds() const { return pool_.Ids(); }
    const std::vector<int32_t>& Pending() const { return pending_; }

  private:
    CandidatePool pool_;
    std::vector<int32_t> pending_;
};
