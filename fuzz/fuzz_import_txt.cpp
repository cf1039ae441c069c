// Feeds arbitrary bytes to the bridge's text import (ImportTxt) and to the preview's reading of
// the same file (ImportTxtTable), which must agree row for row.
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "celvex.h"

namespace {

const char* CellText(const TableRow& row, int32_t column) {
    if (column < 0) return "";
    for (int32_t i = 0; i < row.count; ++i)
        if (row.cells[i].column == column) return row.cells[i].text;
    return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static QTemporaryDir dir;
    static const QByteArray path = (dir.path() + "/input.txt").toUtf8();
    if (std::FILE* f = std::fopen(path.constData(), "wb")) {
        std::fwrite(bytes, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    const char* titles[4] = {"编号", "姓名", "部门", "手机"};
    ImportResult result{};
    ImportTxt(path.constData(), titles, &result);
    // The record must be consistent whatever happened: rows only with a count, no rows when
    // the import failed.
    if (result.count < 0 || (result.count > 0 && !result.rows)) __builtin_trap();
    if (!result.success && result.count != 0) __builtin_trap();

    TableResult table{};
    ImportTxtTable(path.constData(), titles, &table);
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
    return 0;
}
