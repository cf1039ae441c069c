#include "SheetImport.h"

#include <stdexcept>
#include <string>

#include "FieldRowSink.h"
#include "FileAccess.h"
#include "HeaderSearch.h"
#include "SheetData.h"
#include "SheetRows.h"
#include "TableSink.h"
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

bool SheetImport::Load(const char* path, SheetData& sheet) {
    const std::filesystem::path file = FileAccess::FromUtf8(path);
    std::string head;
    try {
        if (!FileAccess::ReadHead(file, head, 8)) return false;
        if (IsZip(head)) {
            XlsxReader::Read(file, sheet);
            return true;
        }
        if (IsCompoundFile(head)) {
            XlsReader::Read(file, sheet);
            return true;
        }
    } catch (const std::exception&) {
    }
    return false;
}

void SheetImport::Run(const char* path, const char* const* titles, ImportResult& result) {
    result.error = CELVEX_OK;
    SheetData sheet;
    if (Load(path, sheet)) {
        SheetRows rows(sheet);
        HeaderSearch search(titles);
        rows.Detect(search);
        FieldRowSink sink(search);
        rows.Emit(sink);
        sink.Finish(result);
    } else {
        result.error = CELVEX_FAILED;
    }
    result.success = result.error == CELVEX_OK;
}

void SheetImport::RunTable(const char* path, const char* const* titles, TableResult& result) {
    result.error = CELVEX_OK;
    result.encoding = CELVEX_ENCODING_NONE;
    SheetData sheet;
    if (Load(path, sheet)) {
        SheetRows rows(sheet);
        HeaderSearch search(titles);
        rows.Detect(search);
        TableSink sink;
        rows.Emit(sink);
        sink.Finish(search, result);
    } else {
        result.error = CELVEX_FAILED;
    }
    result.success = result.error == CELVEX_OK;
}
