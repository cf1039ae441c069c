#include "TextImport.h"

#include <optional>
#include <string>

#include "FieldRowSink.h"
#include "FileAccess.h"
#include "HeaderSearch.h"
#include "TableSink.h"
#include "TextDecoder.h"
#include "TextRows.h"

namespace {

// An unreadable file is a failure, not an empty list: the caller tells the operator.
std::optional<TextDecoder::Decoded> ReadText(const char* path) {
    std::string bytes;
    if (!FileAccess::ReadAll(FileAccess::FromUtf8(path), bytes)) return std::nullopt;
    return TextDecoder::Decode(std::move(bytes));
}

int32_t EncodingCode(TextDecoder::Source source) {
    switch (source) {
        case TextDecoder::Source::Utf8:
            return CELVEX_ENCODING_UTF8;
        case TextDecoder::Source::Utf16LE:
            return CELVEX_ENCODING_UTF16LE;
        case TextDecoder::Source::Utf16BE:
            return CELVEX_ENCODING_UTF16BE;
        case TextDecoder::Source::Gb18030:
            return CELVEX_ENCODING_GB18030;
    }
    return CELVEX_ENCODING_NONE;
}

}  // namespace

void TextImport::Run(const char* path, const char* const* titles, ImportResult& result) {
    const auto decoded = ReadText(path);
    if (!decoded) {
        result.error = CELVEX_FAILED;
        return;
    }
    TextRows rows(decoded->text);
    HeaderSearch search(titles);
    rows.Detect(search);
    FieldRowSink sink(search);
    rows.Emit(sink);
    sink.Finish(result);
    if (result.error == CELVEX_OK) result.success = 1;
}

void TextImport::RunTable(const char* path, const char* const* titles, TableResult& result) {
    result.error = CELVEX_OK;
    const auto decoded = ReadText(path);
    if (!decoded) {
        result.error = CELVEX_FAILED;
        result.success = 0;
        return;
    }
    TextRows rows(decoded->text);
    HeaderSearch search(titles);
    rows.Detect(search);
    TableSink sink;
    rows.Emit(sink);
    sink.Finish(search, result);
    result.encoding = EncodingCode(decoded->source);
    result.replaced =
        decoded->replaced > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(decoded->replaced);
    result.success = 1;
}
