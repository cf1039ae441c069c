#include "SheetRows.h"

#include <algorithm>

#include "CellText.h"
#include "SheetData.h"

SheetRows::SheetRows(SheetData& sheet) : sheet_(sheet) {
    sheet.Normalize();
    bool any = false;
    uint32_t lastRow = 0, lastColumn = 0;
    for (const SheetCell& cell : sheet.Cells()) {
        if (!sheet.HoldsValue(cell)) continue;
        if (!any) {
            firstRow_ = lastRow = cell.row;
            firstColumn_ = lastColumn = cell.column;
            any = true;
        }
        lastRow = cell.row;  // cells are sorted by row
        firstColumn_ = std::min<uint32_t>(firstColumn_, cell.column);
        lastColumn = std::max<uint32_t>(lastColumn, cell.column);
    }
    rowCount_ = lastRow - firstRow_ + 1;
    width_ = lastColumn - firstColumn_ + 1;
}

void SheetRows::ReadRow(uint32_t offset, RowCells& row) {
    const std::vector<SheetCell>& cells = sheet_.Cells();
    const uint32_t sheetRow = firstRow_ + offset;
    while (next_ < cells.size() && cells[next_].row < sheetRow) ++next_;
    const size_t begin = next_;
    while (next_ < cells.size() && cells[next_].row == sheetRow) ++next_;

    // The texts first, then the views of them: the vector must not move under the views.
    texts_.clear();
    for (size_t i = begin; i < next_; ++i)
        if (cells[i].column >= firstColumn_) texts_.push_back(CellText::Of(sheet_, cells[i]));
    row.line = sheetRow + 1;
    row.width = width_;
    row.cells.clear();
    size_t t = 0;
    for (size_t i = begin; i < next_; ++i)
        if (cells[i].column >= firstColumn_)
            row.cells.push_back({cells[i].column - firstColumn_, texts_[t++]});
}

void SheetRows::Detect(HeaderSearch& search) {
    Rewind();
    RowCells row;
    for (uint32_t offset = 0; offset < rowCount_; ++offset) {
        ReadRow(offset, row);
        if (!search.Offer(offset, row)) break;
    }
}

void SheetRows::Emit(RowSink& sink) {
    Rewind();
    RowCells row;
    for (uint32_t offset = 0; offset < rowCount_; ++offset) {
        ReadRow(offset, row);
        sink.Take(offset, row);
    }
}
