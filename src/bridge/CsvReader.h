#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "TextArena.h"

// Reads the records of delimited UTF-8 text: comma-separated files as spreadsheet programs
// write them, tab-separated ones, and lists typed with the full-width comma of Chinese input
// methods. Quoting follows RFC 4180 (a field in double quotes may hold separators, doubled
// quotes and line breaks) and is lenient where editors are not: blanks around a quoted field
// are skipped, text after its closing quote is kept, and a quote that is never closed is
// taken as an ordinary character. Lines end with LF, CRLF or a lone CR. Fields are trimmed of
// ASCII white space; a separator at the end of a line gives no empty last field and an empty
// line gives no field at all.
//
// Written by hand: the CSV parsers Debian offers (libcsv, fast-cpp-csv-parser) take a single
// separator byte, so they can neither split on the three-byte full-width comma nor on both
// comma kinds at once, as lists typed with a Chinese input method need.
class CsvReader {
  public:
    enum class Separators : uint8_t { Comma, FullWidthComma, BothCommas, Tab };

    // The views handed out point into text or into the reader: both must outlive them.
    explicit CsvReader(std::string_view text);

    // The separators of one line: tab when it holds more tabs than commas outside quotes;
    // otherwise the comma kinds it holds, both when it holds both, and the ASCII comma when
    // it holds none.
    static Separators Choose(std::string_view line);

    void SetSeparators(Separators separators);
    // Reads the next record into fields; false at the end of the text.
    bool Next(std::vector<std::string_view>& fields);

    size_t Position() const { return pos_; }
    // The 1-based line on which the next record starts.
    uint32_t Line() const { return line_; }
    void Seek(size_t position, uint32_t line);
    // The physical line from position up to its terminator.
    std::string_view LineAt(size_t position) const;

  private:
    std::string_view ReadField();
    bool ReadQuoted(size_t quote, std::string_view& field);
    // Length of the separator at p, 0 when there is none.
    size_t SeparatorAt(size_t p) const;
    // Where an unquoted field starting at p ends: at a separator, a line end or the end.
    size_t FieldEnd(size_t p) const;
    bool IsBlank(char c) const;
    bool AtLineEnd(size_t p) const;
    void SkipLineEnd();
    void CountLines(std::string_view text);

    std::string_view text_;
    size_t pos_ = 0;
    uint32_t line_ = 1;
    Separators separators_ = Separators::Comma;
    std::array<bool, 256> stops_{};  // bytes that may end an unquoted field
    TextArena arena_;                // fields that differ from their raw text
};
