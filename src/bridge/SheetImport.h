#pragma once

#include "celvex.h"

class SheetData;

// Import and ImportTable: the first worksheet of a workbook, recognised by content (a ZIP
// container is an Office Open XML workbook, an OLE2 compound file a legacy one).
class SheetImport {
  public:
    // Sets error to -3 for anything that is not a readable workbook; throws on other failures.
    static void Run(const char* path, const char* const* titles, ImportResult& result);
    static void RunTable(const char* path, const char* const* titles, TableResult& result);

  private:
    static bool Load(const char* path, SheetData& sheet);
};
