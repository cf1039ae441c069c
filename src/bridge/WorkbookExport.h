#pragma once

#include "celvex.h"

// Export: the winner table as an Office Open XML workbook written with libxlsxwriter. Title
// merged over B2:E2, a grey bold header in row 3 and one bordered row per winner from row 4;
// every cell centred, wrapped and text-formatted so digits such as "007" stay as they are.
class WorkbookExport {
  public:
    // Sets error to -3 when the file could not be written; the file at path is then left as
    // it was, since the workbook is written beside it first and renamed over it at the end.
    // detail, when given, becomes a second sheet.
    static void Run(const char* path, const char* const* titles, ExportRequest& request,
                    const DetailSheet* detail = nullptr);
};
