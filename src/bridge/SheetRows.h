#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "HeaderSearch.h"
#include "RowCells.h"
#include "RowSink.h"

class SheetData;

// The rows of a worksheet's used range (from the smallest to the largest row and column
// holding a value; an empty sheet is the single empty cell A1), each cell as the text it
// imports as. Every row is as wide as the used range.
class SheetRows {
  public:
    // Sorts the sheet's cells; sheet must outlive the rows.
    explicit SheetRows(SheetData& sheet);

    void Detect(HeaderSearch& search);
    void Emit(RowSink& sink);

  private:
    // Fills row with the sheet row of this offset from the first used row; rows are visited
    // in order from the last Rewind.
    void ReadRow(uint32_t offset, RowCells& row);
    void Rewind() { next_ = 0; }

    const SheetData& sheet_;
    uint32_t firstRow_ = 0, rowCount_ = 1, firstColumn_ = 0, width_ = 1;
    size_t next_ = 0;  // first cell not yet visited
    std::vector<std::string> texts_;
};
