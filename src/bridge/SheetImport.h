#pragma once

#include "celvex.h"

class SheetData;

// Import: the first worksheet of a workbook, recognised by content (a ZIP container is an
// Office Open XML workbook, an OLE2 compound file a legacy one), into rows.
class SheetImport {
  public:
    // Sets error to -3 for anything that is not a readable workbook; throws on other failures.
    static void Run(const char* path, const char* const* titles, ImportResult& result);

    // Turns the cells into rows: the used range, the title row and the column map.
    static void BuildRows(SheetData& sheet, const char* const* titles, ImportResult& result);
};
