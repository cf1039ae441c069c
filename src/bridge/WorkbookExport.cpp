#include "WorkbookExport.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
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

// "yyyy-MM-dd hh:mm:ss" as a date-time; false for anything else.
bool ParseTime(const std::string& text, lxw_datetime& out) {
    int y, mo, d, h, mi, s;
    char tail;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) !=
        6)
        return false;
    if (y < 1900 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
        return false;
    out = lxw_datetime{y, mo, d, h, mi, double(s)};
    return true;
}

// The second sheet: a header, one plain row a winner, the time as a real date-time, widths a
// spreadsheet user can read, and a filter over it all.
void WriteDetail(lxw_workbook* book, const DetailSheet& detail, const std::string& font,
                 double size, const std::function<void(lxw_error)>& check) {
    const std::string name = Utf8(detail.name);
    lxw_worksheet* sheet = workbook_add_worksheet(book, name.empty() ? nullptr : name.c_str());
    const int32_t columns = detail.columnCount;
    if (!sheet || columns <= 0 || columns > 64 || !detail.titles) {
        check(LXW_ERROR_PARAMETER_VALIDATION);
        return;
    }
    lxw_format* header = workbook_add_format(book);
    lxw_format* text = workbook_add_format(book);
    lxw_format* time = workbook_add_format(book);
    for (lxw_format* f : {header, text, time}) {
        if (!font.empty()) format_set_font_name(f, font.c_str());
        format_set_font_size(f, size);
    }
    format_set_bold(header);
    format_set_pattern(header, LXW_PATTERN_SOLID);
    format_set_bg_color(header, kHeaderFill);
    format_set_num_format(text, "@");
    format_set_num_format(time, "yyyy-mm-dd hh:mm:ss");
    for (int32_t c = 0; c < columns; ++c) {
        const std::string title = Utf8(detail.titles[c]);
        check(worksheet_write_string(sheet, 0, lxw_col_t(c), title.c_str(), header));
        check(worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c),
                                   c == detail.timeColumn ? 20 : 16, nullptr));
    }
    for (int32_t r = 0; r < detail.rowCount; ++r) {
        for (int32_t c = 0; c < columns; ++c) {
            const std::string value = Utf8(detail.cells[size_t(r) * size_t(columns) + size_t(c)]);
            lxw_datetime when;
            if (c == detail.timeColumn && ParseTime(value, when))
                check(worksheet_write_datetime(sheet, lxw_row_t(r + 1), lxw_col_t(c), &when, time));
            else if (!value.empty())
                check(worksheet_write_string(sheet, lxw_row_t(r + 1), lxw_col_t(c), value.c_str(),
                                             text));
        }
    }
    check(worksheet_autofilter(sheet, 0, 0, lxw_row_t(std::max(detail.rowCount, 1)),
                               lxw_col_t(columns - 1)));
    worksheet_freeze_panes(sheet, 1, 0);
}

// Writes the workbook to file; returns false on the first failure.
bool Write(const std::string& file, const char* const* titles, const ExportRequest& request,
           const DetailSheet* detail) {
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
    if (ok && detail) WriteDetail(book, *detail, font, size, check);
    // Closing writes the file and frees the workbook in every case.
    check(workbook_close(book));
    return ok;
}

}  // namespace

void WorkbookExport::Run(const char* path, const char* const* titles, ExportRequest& request,
                         const DetailSheet* detail) {
    request.error = CELVEX_OK;
    if ((request.count > 0 && !request.rows) ||
        (detail && detail->rowCount > 0 && !detail->cells)) {
        request.error = CELVEX_INVALID_ARGUMENT;
        return;
    }
    const std::filesystem::path target = FileAccess::FromUtf8(path);
    std::filesystem::path partial = target;
    partial += ".partial";
    std::error_code ec;
    const bool written =
        Write(reinterpret_cast<const char*>(partial.u8string().c_str()), titles, request, detail);
    if (written) std::filesystem::rename(partial, target, ec);
    if (!written || ec) {
        std::filesystem::remove(partial, ec);
        request.error = CELVEX_FAILED;
    }
    request.success = request.error == CELVEX_OK;
}
