#include "ColumnMap.h"

void ColumnMap::SetPositional() {
    for (int k = 0; k < 4; ++k) {
        entries_[k] = k;
        ranks_[k] = 0;
    }
}

void ColumnMap::Offer(int slot, int rank, int column) {
    if (slot < 0 || slot >= kSlots) return;
    if (entries_[slot] >= 0 && rank > ranks_[slot]) return;
    entries_[slot] = column;
    ranks_[slot] = rank;
}

bool ColumnMap::Any() const {
    for (int k = 0; k < kFieldSlots; ++k)
        if (entries_[k] >= 0) return true;
    return false;
}
