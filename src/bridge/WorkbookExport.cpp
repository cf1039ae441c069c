#include "WorkbookExport.h"

#include <xlsxwriter.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "FileAccess.h"
#include "TextDecoder.h"

namespace {

constexpr double kColumnWidths[5] = {3, 18, 25, 30, 24};
constexpr double kStandardWidth = 8;
constexpr double kTitleHeight = 32;
constexpr double kRowHeight = 18;
constexpr double kTitlePoints = 14;
constexpr lxw_color_t kHeaderFill = 0xC0C0C0;  // colour index 15

// libxlsxwriter needs UTF-8; a malformed byte would make the whole file unreadable.
std::string Utf8(const char* text) {
    if (!text) return {};
    std::string_view view(text);
    return TextDecoder::IsValidUtf8(view) ? std::string(view) : TextDecoder::SanitizeUtf8(view);
}

// Every cell of the sheet: centred both ways, wrapped, number format "@" (text).
void CellLayout(lxw_format* format) {
    format_set_align(format, LXW_ALIGN_CENTER);
    format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
    format_set_text_wrap(format);
    format_set_num_format(format, "@");
}

lxw_format* TableFormat(lxw_workbook* book, const std::string& font, double size, bool bold) {
    lxw_format* format = workbook_add_format(book);
    CellLayout(format);
    if (!font.empty()) format_set_font_name(format, font.c_str());
    format_set_font_size(format, size);
    if (bold) format_set_bold(format);
    format_set_border(format, LXW_BORDER_THIN);
    format_set_border_color(format, LXW_COLOR_BLACK);
    return format;
}

// Writes the workbook to file; returns false on the first failure.
bool Write(const std::string& file, const char* const* titles, const ExportRequest& request) {
    lxw_workbook* book = workbook_new(file.c_str());
    if (!book) return false;
    bool ok = true;
    const auto check = [&ok](lxw_error error) { ok = ok && error == LXW_NO_ERROR; };

    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    // The five columns are wider than a portrait page: print them on one page across, so
    // the merged title is not cut in two.
    if (sheet) worksheet_fit_to_pages(sheet, 1, 0);
    const std::string font = Utf8(request.fontName);
    const double size = request.fontSize > 0 ? request.fontSize : 11;

    lxw_format* whole = workbook_add_format(book);
    CellLayout(whole);
    lxw_format* titleFormat = workbook_add_format(book);
    CellLayout(titleFormat);
    if (!font.empty()) format_set_font_name(titleFormat, font.c_str());
    format_set_font_size(titleFormat, kTitlePoints);
    lxw_format* header = TableFormat(book, font, size, true);
    format_set_pattern(header, LXW_PATTERN_SOLID);
    format_set_bg_color(header, kHeaderFill);
    lxw_format* body = TableFormat(book, font, size, false);

    if (!sheet || !whole || !titleFormat || !header || !body) ok = false;
    if (ok) {
        // Column formats stand for "all cells"; the columns after E get the standard width.
        for (lxw_col_t c = 0; c < 5; ++c)
            check(worksheet_set_column(sheet, c, c, kColumnWidths[c], whole));
        check(worksheet_set_column(sheet, 5, LXW_COL_MAX - 1, kStandardWidth, whole));

        check(worksheet_set_row(sheet, 1, kTitleHeight, nullptr));
        check(worksheet_merge_range(sheet, 1, 1, 1, 4, Utf8(request.title).c_str(), titleFormat));

        check(worksheet_set_row(sheet, 2, kRowHeight, nullptr));
        for (int j = 0; j < 4; ++j) {
            const std::string text = Utf8(titles ? titles[j] : nullptr);
            check(worksheet_write_string(sheet, 2, static_cast<lxw_col_t>(1 + j), text.c_str(),
                                         header));
        }

        lxw_row_t row = 3;
        for (int32_t i = 0; ok && i < request.count; ++i) {
            const FieldRow* entry = request.rows[i];
            if (!entry) continue;  // skipped without using up a row
            check(worksheet_set_row(sheet, row, kRowHeight, nullptr));
            for (int j = 0; j < 4; ++j) {
                // An empty text with a format is written as a blank, bordered cell.
                const std::string text = Utf8(entry->fields[j]);
                check(worksheet_write_string(sheet, row, static_cast<lxw_col_t>(1 + j),
                                             text.c_str(), body));
            }
            ++row;
        }
    }
    // Closing writes the file and frees the workbook in every case.
    check(workbook_close(book));
    return ok;
}

}  // namespace

void WorkbookExport::Run(const char* path, const char* const* titles, ExportRequest& request) {
    request.error = CELVEX_OK;
    if (request.count > 0 && !request.rows) {
        request.error = CELVEX_INVALID_ARGUMENT;
        return;
    }
    const std::filesystem::path target = FileAccess::FromUtf8(path);
    std::filesystem::path partial = target;
    partial += ".partial";
    std::error_code ec;
    const bool written =
        Write(reinterpret_cast<const char*>(partial.u8string().c_str()), titles, request);
    if (written) std::filesystem::rename(partial, target, ec);
    if (!written || ec) {
        std::filesystem::remove(partial, ec);
        request.error = CELVEX_FAILED;
    }
    request.success = request.error == CELVEX_OK;
}
