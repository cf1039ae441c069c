#include "CellText.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "SheetData.h"

namespace {

bool IsAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string Trimmed(std::string_view text) {
    while (!text.empty() && IsAsciiSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsAsciiSpace(text.back())) text.remove_suffix(1);
    return std::string(text);
}

std::string DayText(std::chrono::sys_days day) {
    const std::chrono::year_month_day ymd(day);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return buffer;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string CellText::Of(const SheetData& sheet, const SheetCell& cell) {
    switch (cell.kind) {
        case SheetCell::Kind::Text:
            return Trimmed(sheet.TextOf(cell));
        case SheetCell::Kind::Number:
            return NumberText(cell.number);
        case SheetCell::Kind::Date: {
            if (auto text = DateText(cell.number, sheet.date1904)) return *text;
            return NumberText(cell.number);
        }
        case SheetCell::Kind::IsoDate:
            return IsoDateText(sheet.TextOf(cell)).value_or("");
        case SheetCell::Kind::Time:
        case SheetCell::Kind::Boolean:
        case SheetCell::Kind::Error:
            break;
    }
    return {};
}

std::string CellText::NumberText(double value) {
    if (!std::isfinite(value)) return {};
    char buffer[400];  // the largest double has 309 digits
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 0);
    if (ec != std::errc()) return {};
    std::string text(buffer, end);
    if (text == "-0") text = "0";
    return text;
}

std::optional<std::string> CellText::DateText(double serial, bool date1904) {
    using namespace std::chrono;
    if (!std::isfinite(serial) || serial < 0) return std::nullopt;
    // The time of day is dropped; a hair below a whole day still counts as that day.
    const double whole = std::floor(serial + 1e-9);
    if (date1904) {
        if (whole > 2957003) return std::nullopt;
        return DayText(sys_days{1904y / January / 1} + days{static_cast<int>(whole)});
    }
    if (whole > 2958465) return std::nullopt;
    const int n = static_cast<int>(whole);
    // Excel counts the day 1900-02-29 that never was (serial 60) and shows 0 as day 0.
    if (n == 0) return std::string("1900-01-00");
    if (n == 60) return std::string("1900-02-29");
    const sys_days base =
        n < 60 ? sys_days{1899y / December / 31} : sys_days{1899y / December / 30};
    return DayText(base + days{n});
}

std::optional<std::string> CellText::IsoDateText(std::string_view text) {
    while (!text.empty() && IsAsciiSpace(text.front())) text.remove_prefix(1);
    if (text.size() < 10) return std::nullopt;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!IsDigit(text[i])) return std::nullopt;
    if (text[4] != '-' || text[7] != '-') return std::nullopt;
    if (text.size() > 10 && text[10] != 'T' && text[10] != ' ') return std::nullopt;
    return std::string(text.substr(0, 10));
}
