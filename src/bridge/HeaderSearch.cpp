#include "HeaderSearch.h"

bool HeaderSearch::Offer(size_t index, const RowCells& row) {
    if (done_) return false;
    if (row.Empty()) return true;
    ColumnMap map;
    for (const RowCells::Cell& cell : row.cells) {
        const ColumnAliases::Match match = aliases_.Find(cell.text);
        if (match.slot >= 0) map.Offer(match.slot, match.rank, static_cast<int>(cell.column));
    }
    if (map.Any()) {
        map_ = map;
        header_ = index;
        done_ = true;
    } else if (++nonEmpty_ >= kRowsSearched) {
        done_ = true;
    }
    return !done_;
}
