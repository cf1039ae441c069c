#pragma once

#include <optional>
#include <string>

#include "SheetCell.h"

class SheetData;

// The text a cell value imports as: text trimmed, numbers rounded to whole digits, dates as
// "YYYY-MM-DD", everything else (booleans, errors, times of day) empty.
class CellText {
  public:
    static std::string Of(const SheetData& sheet, const SheetCell& cell);

    // Printed with no decimal places from the exact binary value, never in exponent form, so
    // an eleven-digit mobile number keeps its digits. Non-finite values give empty text.
    static std::string NumberText(double value);
    // The calendar day of a serial date number; nothing when it lies outside 1900..9999.
    static std::optional<std::string> DateText(double serial, bool date1904);
    // "YYYY-MM-DD" from the front of an ISO 8601 date or date-time; nothing otherwise.
    static std::optional<std::string> IsoDateText(std::string_view text);
};
