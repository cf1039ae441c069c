#pragma once

#include <string_view>
#include <vector>

#include "CsvReader.h"
#include "HeaderSearch.h"
#include "RowCells.h"
#include "RowSink.h"

// The records of a decoded text file as rows. The separators are decided once for the file:
// from the header line when there is one, otherwise from the first non-empty line.
class TextRows {
  public:
    // text must outlive the rows and everything they hand out.
    explicit TextRows(std::string_view text) : text_(text), reader_(text) {}

    // Runs the header search over the first records, each split with the separators its own
    // line suggests (a banner or a note above the header may hold other punctuation).
    void Detect(HeaderSearch& search);
    // Hands every record to sink: those above the header as the search read them, the header
    // and everything after it with the file's separators.
    void Emit(RowSink& sink);

  private:
    bool ReadRow(RowCells& row);

    std::string_view text_;
    CsvReader reader_;
    CsvReader::Separators separators_ = CsvReader::Separators::Comma;
    std::vector<std::string_view> fields_;
    std::vector<RowCells> above_;  // records above the header
    bool found_ = false;
    size_t headerPosition_ = 0;
    uint32_t headerLine_ = 1;
};
