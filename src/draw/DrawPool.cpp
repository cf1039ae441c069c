#include "draw/DrawPool.h"

#include <algorithm>
#include <unordered_map>

#include "draw/RandomSource.h"

void DrawPool::Reset(const std::vector<int32_t>& ids) {
    pool_.clear();
    pending_.clear();
    pool_.append(ids);
}

void DrawPool::Clear() {
    pool_.clear();
    pending_.clear();
}

std::vector<int32_t> DrawPool::Roll(int k, RandomSource& random) {
    std::vector<int32_t> picks;
    picks.reserve(std::min(k > 0 ? size_t(k) : 0, Remaining()));
    for (int i = 0; i < k; ++i) {
        if (pool_.empty()) {
            pool_.append(pending_);
            pending_.clear();
            if (pool_.empty()) break;
        }
        picks.push_back(pool_.TakeAt(size_t(random.Below(pool_.size()))));
    }
    pending_.insert(pending_.end(), picks.begin(), picks.end());
    return picks;
}

void DrawPool::Commit(const std::vector<int32_t>& winners, bool allowRepeat) {
    if (!allowRepeat && !winners.empty()) {
        // The first occurrence of each winner leaves the pending list.
        std::unordered_map<int32_t, int> toRemove;
        for (int32_t id : winners) ++toRemove[id];
        std::vector<int32_t> kept;
        kept.reserve(pending_.size());
        for (int32_t id : pending_) {
            auto it = toRemove.find(id);
            if (it != toRemove.end() && it->second > 0) {
                --it->second;
                continue;
            }
            kept.push_back(id);
        }
        pending_ = std::move(kept);
    }
    pool_.append(pending_);
    pending_.clear();
}
