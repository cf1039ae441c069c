#pragma once

#include <string>
#include <vector>

#include "HeaderSearch.h"
#include "RowSink.h"
#include "celvex.h"

// Turns rows into the four-slot rows of Import and ImportTxt: rows up to the header are
// skipped, a slot whose column lies beyond the row stays null, a missing cell within it is
// empty text.
class FieldRowSink : public RowSink {
  public:
    explicit FieldRowSink(const HeaderSearch& search) : search_(search) {}

    void Take(size_t index, const RowCells& row) override;
    // Hands the rows to the record; throws std::bad_alloc.
    void Finish(ImportResult& result) const;

  private:
    const HeaderSearch& search_;
    size_t count_ = 0;
    std::vector<size_t> slots_;  // four a row: offsets into texts_ or ImportRows::kNull
    std::string texts_;
};
