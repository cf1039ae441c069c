// The exported C interface. Nothing may be thrown across it: every failure, running out of
// memory included, becomes error -3, and a failed import hands back no half-built rows.
#include "celvex.h"

#include <cstdlib>
#include <exception>

#include "ImportRows.h"
#include "SheetImport.h"
#include "TextImport.h"
#include "WorkbookExport.h"

namespace {

template <typename F>
void Guarded(ImportResult& result, F&& work) {
    try {
        work();
        return;
    } catch (...) {
    }
    ImportRows::Release(result);
    result.rows = nullptr;
    result.count = 0;
    result.error = CELVEX_FAILED;
    result.success = 0;
}

void ReleaseTable(TableResult& result) {
    std::free(result.rows);  // the row array heads the one block holding cells and texts
    result.rows = nullptr;
    result.count = 0;
}

template <typename F>
void Guarded(TableResult& result, F&& work) {
    try {
        work();
        return;
    } catch (...) {
    }
    ReleaseTable(result);
    result.headerRow = -1;
    result.groupColumn = result.excludedColumn = result.takesPartColumn = -1;
    result.error = CELVEX_FAILED;
    result.success = 0;
}

}  // namespace

extern "C" {

CELVEX_API void CELVEX_CALL Import(const char* path, const char* const* titles,
                                   ImportResult* result) {
    if (!result) return;
    if (!path) {
        result->error = CELVEX_INVALID_ARGUMENT;
        return;
    }
    Guarded(*result, [&] { SheetImport::Run(path, titles, *result); });
}

CELVEX_API void CELVEX_CALL ImportTxt(const char* path, const char* const* titles,
                                      ImportResult* result) {
    if (!result) return;
    if (!path) {
        result->error = CELVEX_INVALID_ARGUMENT;
        return;
    }
    Guarded(*result, [&] { TextImport::Run(path, titles, *result); });
}

CELVEX_API void CELVEX_CALL Export(const char* path, const char* const* titles,
                                   ExportRequest* request) {
    if (!request) return;
    if (!path) {
        request->error = CELVEX_INVALID_ARGUMENT;
        return;
    }
    try {
        WorkbookExport::Run(path, titles, *request);
    } catch (...) {
        request->error = CELVEX_FAILED;
        request->success = 0;
    }
}

CELVEX_API void CELVEX_CALL ExportDetailed(const char* path, const char* const* titles,
                                           ExportRequest* request, const DetailSheet* detail) {
    if (!request) return;
    if (!path) {
        request->error = CELVEX_INVALID_ARGUMENT;
        return;
    }
    try {
        WorkbookExport::Run(path, titles, *request, detail);
    } catch (...) {
        request->error = CELVEX_FAILED;
        request->success = 0;
    }
}

CELVEX_API void CELVEX_CALL FreeImportResult(ImportResult* result) {
    if (!result) return;
    try {
        ImportRows::Release(*result);
    } catch (...) {
    }
}

CELVEX_API void CELVEX_CALL ImportTable(const char* path, const char* const* titles,
                                        TableResult* result) {
    if (!result) return;
    if (!path) {
        result->error = CELVEX_INVALID_ARGUMENT;
        return;
    }
    Guarded(*result, [&] { SheetImport::RunTable(path, titles, *result); });
}

CELVEX_API void CELVEX_CALL ImportTxtTable(const char* path, const char* const* titles,
                                           TableResult* result) {
    if (!result) return;
    if (!path) {
        result->error = CELVEX_INVALID_ARGUMENT;
        return;
    }
    Guarded(*result, [&] { TextImport::RunTable(path, titles, *result); });
}

CELVEX_API void CELVEX_CALL FreeTableResult(TableResult* result) {
    if (!result) return;
    std::free(result->rows);
}
}
