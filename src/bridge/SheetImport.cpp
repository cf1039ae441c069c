#include "SheetImport.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "CellText.h"
#include "ColumnMap.h"
#include "FileAccess.h"
#include "ImportRows.h"
#include "SheetData.h"
#include "XlsReader.h"
#include "XlsxReader.h"

namespace {

bool IsZip(std::string_view head) {
    return head.starts_with(std::string_view("PK\x03\x04", 4)) ||
           head.starts_with(std::string_view("PK\x05\x06", 4));
}

bool IsCompoundFile(std::string_view head) {
    return head.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
}

}  // namespace

void SheetImport::Run(const char* path, const char* const* titles, ImportResult& result) {
    result.error = CELVEX_OK;
    const std::filesystem::path file = FileAccess::FromUtf8(path);
    std::string head;
    SheetData sheet;
    try {
        if (!FileAccess::ReadHead(file, head, 8)) throw std::runtime_error("file unreadable");
        if (IsZip(head))
            XlsxReader::Read(file, sheet);
        else if (IsCompoundFile(head))
            XlsReader::Read(file, sheet);
        else
            throw std::runtime_error("not a workbook");
    } catch (const std::exception&) {
        result.error = CELVEX_FAILED;
    }
    if (result.error == CELVEX_OK) BuildRows(sheet, titles, result);
    result.success = result.error == CELVEX_OK;
}

void SheetImport::BuildRows(SheetData& sheet, const char* const* titles, ImportResult& result) {
    sheet.Normalize();
    const std::vector<SheetCell>& cells = sheet.Cells();

    // The used range: from the smallest to the largest row and column holding a value. An
    // empty sheet is the single empty cell A1.
    uint32_t firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
    bool any = false;
    for (const SheetCell& cell : cells) {
        if (!sheet.HoldsValue(cell)) continue;
        if (!any) {
            firstRow = lastRow = cell.row;
            firstColumn = lastColumn = cell.column;
            any = true;
        }
        lastRow = cell.row;  // cells are sorted by row
        firstColumn = std::min<uint32_t>(firstColumn, cell.column);
        lastColumn = std::max<uint32_t>(lastColumn, cell.column);
    }
    const uint32_t columns = lastColumn - firstColumn + 1;

    // Cells of one row form a run sorted by column.
    size_t next = 0;
    const auto rowCells = [&](uint32_t row) {
        while (next < cells.size() && cells[next].row < row) ++next;
        const size_t begin = next;
        while (next < cells.size() && cells[next].row == row) ++next;
        return std::make_pair(begin, next);
    };

    ColumnMap map;
    bool title = false;
    if (any) {
        const auto [begin, end] = rowCells(firstRow);
        for (size_t i = begin; i < end; ++i) {
            const SheetCell& cell = cells[i];
            if (cell.kind != SheetCell::Kind::Text || cell.column < firstColumn) continue;
            std::string raw(sheet.TextOf(cell));
            std::erase(raw, ' ');
            title =
                map.MatchTitle(raw, titles, static_cast<int>(cell.column - firstColumn)) || title;
        }
    }
    if (!title) map.SetPositional();

    const uint32_t firstData = title ? firstRow + 1 : firstRow;
    const size_t count = lastRow >= firstData ? lastRow - firstData + 1 : 0;
    ImportRows::Allocate(result, count);
    next = 0;
    for (size_t i = 0; i < count; ++i) {
        const auto [begin, end] = rowCells(firstData + static_cast<uint32_t>(i));
        for (int k = 0; k < 4; ++k) {
            const int index = map[k];
            if (index < 0 || static_cast<uint32_t>(index) >= columns) continue;
            const uint32_t column = firstColumn + static_cast<uint32_t>(index);
            const auto found =
                std::lower_bound(cells.begin() + static_cast<std::ptrdiff_t>(begin),
                                 cells.begin() + static_cast<std::ptrdiff_t>(end), column,
                                 [](const SheetCell& cell, uint32_t c) { return cell.column < c; });
            const bool present = found != cells.begin() + static_cast<std::ptrdiff_t>(end) &&
                                 found->column == column;
            ImportRows::SetSlot(result, i, k,
                                present ? CellText::Of(sheet, *found) : std::string());
        }
    }
}
