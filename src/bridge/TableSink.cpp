#include "TableSink.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace {

int32_t Clamped(uint64_t value) {
    constexpr auto kMax = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(value > kMax ? kMax : value);
}

}  // namespace

void TableSink::Take(size_t, const RowCells& row) {
    const size_t first = cells_.size();
    for (const RowCells::Cell& cell : row.cells) {
        if (cell.text.empty()) continue;
        if (cell.column > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
            throw std::length_error("too many columns");
        cells_.push_back({cell.column, texts_.size()});
        texts_.append(cell.text);
        texts_.push_back('\0');
    }
    rows_.push_back({row.line, first, cells_.size() - first});
}

void TableSink::Finish(const HeaderSearch& search, TableResult& result) const {
    constexpr size_t kMaxCount = static_cast<size_t>(std::numeric_limits<int32_t>::max());
    if (rows_.size() > kMaxCount || cells_.size() > kMaxCount) throw std::bad_alloc();
    result.headerRow = search.Found() ? Clamped(search.HeaderIndex()) : -1;
    for (int k = 0; k < ColumnMap::kFieldSlots; ++k) result.columns[k] = search.Map()[k];
    result.groupColumn = search.Map()[ColumnMap::kGroup];
    result.excludedColumn = search.Map()[ColumnMap::kExcluded];
    result.takesPartColumn = search.Map()[ColumnMap::kTakesPart];
    result.rows = nullptr;
    result.count = 0;
    if (rows_.empty()) return;

    // One allocation: FreeTableResult frees the row array and with it everything else.
    const size_t rowBytes = rows_.size() * sizeof(TableRow);
    const size_t cellBytes = cells_.size() * sizeof(TableCell);
    static_assert(sizeof(TableRow) % alignof(TableCell) == 0);
    char* block = static_cast<char*>(std::malloc(rowBytes + cellBytes + texts_.size()));
    if (!block) throw std::bad_alloc();
    auto* rows = reinterpret_cast<TableRow*>(block);
    auto* cells = reinterpret_cast<TableCell*>(block + rowBytes);
    char* texts = block + rowBytes + cellBytes;
    if (!texts_.empty()) std::memcpy(texts, texts_.data(), texts_.size());
    for (size_t i = 0; i < cells_.size(); ++i)
        cells[i] = TableCell{static_cast<int32_t>(cells_[i].column), texts + cells_[i].offset};
    for (size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        rows[i] = TableRow{Clamped(row.line), static_cast<int32_t>(row.cellCount),
                           row.cellCount ? cells + row.firstCell : nullptr};
    }
    result.rows = rows;
    result.count = static_cast<int32_t>(rows_.size());
}
