#pragma once

#include <string_view>
#include <vector>

#include "celvex.h"

// ImportTxt: one candidate per line, fields separated by "," or "，", an optional title line.
class TextImport {
  public:
    static void Run(const char* path, const char* const* titles, ImportResult& result);

    // Appends the fields of text to out and returns out's size. The earliest separator wins,
    // the one earlier in the list on a tie; fields are trimmed of ASCII white space. No quoting:
    // a trailing separator gives no empty last field and an empty text gives no field.
    // The views point into text.
    static int SplitFields(std::string_view text, const std::vector<std::string_view>& separators,
                           std::vector<std::string_view>& out);

    // The file's lines without their terminators: a CR before LF (or at the very end) is
    // dropped and a final terminator adds no empty line.
    static std::vector<std::string_view> SplitLines(std::string_view text);
};
