#include "draw/CandidatePool.h"

void CandidatePool::clear() {
    ids_.clear();
    isAlive_.clear();
    tree_.clear();
    alive_ = 0;
}

void CandidatePool::push_back(int32_t id) {
    ids_.push_back(id);
    isAlive_.push_back(1);
    ++alive_;
    // Appending slot n: tree[n] covers (n - lowbit(n), n], i.e. the new slot plus the
    // already complete nodes below it.
    const size_t n = ids_.size();
    int32_t sum = 1;
    const size_t low = n & (~n + 1);
    for (size_t step = 1; step < low; step <<= 1) sum += tree_[n - step - 1];
    tree_.push_back(sum);
}

void CandidatePool::append(const std::vector<int32_t>& ids) {
    if (ids.empty()) return;
    if (ids.size() < 64) {
        for (int32_t id : ids) push_back(id);
        return;
    }
    ids_.insert(ids_.end(), ids.begin(), ids.end());
    isAlive_.insert(isAlive_.end(), ids.size(), 1);
    alive_ += ids.size();
    Rebuild();
}

void CandidatePool::Rebuild() {
    const size_t n = ids_.size();
    tree_.assign(n, 0);
    for (size_t i = 0; i < n; ++i) {
        tree_[i] += isAlive_[i];
        const size_t parent = (i + 1) + ((i + 1) & (~(i + 1) + 1));
        if (parent <= n) tree_[parent - 1] += tree_[i];
    }
}

void CandidatePool::Compact() {
    size_t w = 0;
    for (size_t r = 0; r < ids_.size(); ++r) {
        if (isAlive_[r]) ids_[w++] = ids_[r];
    }
    ids_.resize(w);
    isAlive_.assign(w, 1);
    Rebuild();
}

size_t CandidatePool::FindSlot(size_t pos) const {
    // Binary lifting: the smallest slot whose prefix count reaches pos + 1.
    size_t idx = 0;
    size_t remaining = pos + 1;
    size_t bit = 1;
    while ((bit << 1) <= tree_.size()) bit <<= 1;
    for (; bit; bit >>= 1) {
        const size_t next = idx + bit;
        if (next <= tree_.size() && static_cast<size_t>(tree_[next - 1]) < remaining) {
            idx = next;
            remaining -= static_cast<size_t>(tree_[next - 1]);
        }
    }
    return idx;  // 0-based slot
}

int32_t CandidatePool::At(size_t pos) const {
    return ids_[FindSlot(pos)];
}

int32_t CandidatePool::TakeAt(size_t pos) {
    const size_t slot = FindSlot(pos);
    const int32_t id = ids_[slot];
    isAlive_[slot] = 0;
    for (size_t i = slot + 1; i <= tree_.size(); i += i & (~i + 1)) tree_[i - 1] -= 1;
    --alive_;
    if (alive_ == 0) {
        clear();
    } else if (ids_.size() > 1024 && alive_ * 4 < ids_.size()) {
        Compact();
    }
    return id;
}

std::vector<int32_t> CandidatePool::Ids() const {
    std::vector<int32_t> out;
    out.reserve(alive_);
    for (size_t i = 0; i < ids_.size(); ++i) {
        if (isAlive_[i]) out.push_back(ids_[i]);
    }
    return out;
}
