#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// One row of a file before the column map is applied. Columns count from 0: the first field
// of a text line, the first used column of a worksheet.
struct RowCells {
    struct Cell {
        uint32_t column;
        std::string_view text;
    };

    uint32_t line = 0;   // 1-based line of a text file or row number of a worksheet
    uint32_t width = 0;  // a column at or beyond it is absent; a missing cell before it is empty
    std::vector<Cell> cells;  // in ascending column order

    // The text at column: empty where there is no cell, nothing beyond the row's width.
    std::optional<std::string_view> At(uint32_t column) const {
        if (column >= width) return std::nullopt;
        // Text lines hold every field, so the cell usually sits at its own index.
        if (column < cells.size() && cells[column].column == column) return cells[column].text;
        const auto found =
            std::lower_bound(cells.begin(), cells.end(), column,
                             [](const Cell& cell, uint32_t c) { return cell.column < c; });
        if (found != cells.end() && found->column == column) return found->text;
        return std::string_view();
    }

    bool Empty() const {
        for (const Cell& cell : cells)
            if (!cell.text.empty()) return false;
        return true;
    }
};
