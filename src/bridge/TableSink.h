#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "HeaderSearch.h"
#include "RowSink.h"
#include "celvex.h"

// Collects every row with its non-empty cells for ImportTable and ImportTxtTable, and hands
// them over as one block: the row array, then the cells, then their texts.
class TableSink : public RowSink {
  public:
    void Take(size_t index, const RowCells& row) override;
    // Fills rows, count, headerRow and columns; throws std::bad_alloc.
    void Finish(const HeaderSearch& search, TableResult& result) const;

  private:
    struct Row {
        uint32_t line;
        size_t firstCell;
        size_t cellCount;
    };
    struct Cell {
        uint32_t column;
        size_t offset;  // into texts_, NUL-terminated there
    };
    std::vector<Row> rows_;
    std::vector<Cell> cells_;
    std::string texts_;
};
