#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What freexl does not hand on rightly from a legacy workbook's first worksheet, read from the
// workbook stream itself:
// - boolean and error cells (BOOLERR records): freexl gives the numbers 1 and 0, or the error's
//   code, which would import as text; they import as empty text like every boolean and error;
// - formula cells (FORMULA records): freexl gives nothing at all, so a staff number or a name
//   built by a formula would import empty; their cached results are read instead (a number
//   result imports as a number whatever the cell's format says).
class BiffCells {
  public:
    using Place = std::pair<uint32_t, uint16_t>;  // 0-based row and column

    struct Formula {
        enum class Result { Number, Text, Boolean, Error, Empty };
        Place place;
        Result result = Result::Empty;
        double number = 0;
        std::string text;  // UTF-8, for a text result
    };

    struct Found {
        std::vector<Place> boolErr;     // ascending
        std::vector<Formula> formulas;  // ascending by place
    };

    // Empty when the stream holds none or cannot be walked.
    static Found Read(std::string_view workbookStream);
};
