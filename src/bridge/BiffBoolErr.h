#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

// Finds the cells of a legacy workbook's first worksheet that hold a boolean or an error value
// (BOOLERR records). freexl hands them on as the numbers 1 and 0, or as the error's code, which
// would import as text; they import as empty text like every boolean and error cell.
class BiffBoolErr {
  public:
    using Place = std::pair<uint32_t, uint16_t>;  // 0-based row and column

    // The places in ascending order; empty when the stream holds none or cannot be walked.
    static std::vector<Place> Cells(std::string_view workbookStream);
};
