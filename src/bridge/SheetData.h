#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "SheetCell.h"

// The cells of the first worksheet as a reader found them, in any order, plus the texts they
// refer to. Turned into rows by SheetImport.
class SheetData {
  public:
    // Excel's own limits; a reference beyond them is a damaged file.
    static constexpr uint32_t kMaxRows = 1048576;
    static constexpr uint32_t kMaxColumns = 16384;
    // Bounds memory for hostile files (16 bytes a cell).
    static constexpr size_t kMaxCells = 16u * 1024 * 1024;

    bool date1904 = false;

    // Stores text in the pool and returns a Text cell pointing at it.
    SheetCell TextCell(std::string_view text);
    // Adds a cell; throws std::length_error when the cell limit is reached.
    void Add(const SheetCell& cell);

    std::string_view TextOf(const SheetCell& cell) const {
        return std::string_view(pool_).substr(cell.text.offset, cell.text.length);
    }
    // Whether the cell counts for the used range: anything but empty text.
    bool HoldsValue(const SheetCell& cell) const;

    // Sorts by row and column; of two cells at the same place the later one read is kept.
    void Normalize();
    const std::vector<SheetCell>& Cells() const { return cells_; }

  private:
    std::vector<SheetCell> cells_;
    std::string pool_;
};
