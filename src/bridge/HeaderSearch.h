#pragma once

#include <cstddef>

#include "ColumnAliases.h"
#include "ColumnMap.h"
#include "RowCells.h"

// Finds the header row: the first row, among the first kRowsSearched non-empty rows, in which
// a cell names a candidate column. Rows above it are banners and notes, not candidates. A file
// without one keeps the positional map: the first four columns in slot order.
class HeaderSearch {
  public:
    static constexpr int kRowsSearched = 10;
    static constexpr size_t kNone = static_cast<size_t>(-1);

    explicit HeaderSearch(const char* const* titles) : aliases_(titles) {}

    // Looks at the row of this index; false once the search is over.
    bool Offer(size_t index, const RowCells& row);

    bool Found() const { return header_ != kNone; }
    size_t HeaderIndex() const { return header_; }
    // The header's map, or the positional one when there is no header.
    const ColumnMap& Map() const { return map_; }

  private:
    ColumnAliases aliases_;
    ColumnMap map_ = Positional();
    size_t header_ = kNone;
    int nonEmpty_ = 0;
    bool done_ = false;

    static ColumnMap Positional() {
        ColumnMap map;
        map.SetPositional();
        return map;
    }
};
