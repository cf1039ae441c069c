#pragma once

// What both import fuzz targets check: the import's record is consistent, and the preview's
// reading of the same file (the table call) gives exactly the imported rows.
#include <cstdint>
#include <cstring>

#include "celvex.h"

namespace fuzz {

inline const char* CellText(const TableRow& row, int32_t column) {
    if (column < 0) return "";
    for (int32_t i = 0; i < row.count; ++i)
        if (row.cells[i].column == column) return row.cells[i].text;
    return "";
}

template <typename ImportCall, typename TableCall>
void CheckImportAgreement(const char* path, ImportCall import, TableCall importTable) {
    const char* titles[4] = {"编号", "姓名", "部门", "手机"};
    ImportResult result{};
    import(path, titles, &result);
    // Rows only with a count, no rows when the import failed.
    if (result.count < 0 || (result.count > 0 && !result.rows)) __builtin_trap();
    if (!result.success && result.count != 0) __builtin_trap();

    TableResult table{};
    importTable(path, titles, &table);
    if (table.success != result.success) __builtin_trap();
    if (table.success) {
        const int32_t first = table.headerRow + 1;
        if (table.headerRow < -1 || first > table.count) __builtin_trap();
        if (table.count - first != result.count) __builtin_trap();
        for (int32_t r = 0; r < result.count; ++r) {
            const TableRow& row = table.rows[first + r];
            for (int k = 0; k < 4; ++k) {
                const char* imported = result.rows[r]->fields[k];
                if (std::strcmp(imported ? imported : "", CellText(row, table.columns[k])) != 0)
                    __builtin_trap();
            }
        }
    }
    FreeTableResult(&table);
    FreeImportResult(&result);
}

}  // namespace fuzz
