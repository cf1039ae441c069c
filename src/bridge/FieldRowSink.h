#pragma once

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
    ~FieldRowSink() override;
    FieldRowSink(const FieldRowSink&) = delete;
    FieldRowSink& operator=(const FieldRowSink&) = delete;

    void Take(size_t index, const RowCells& row) override;
    // Hands the rows to the record.
    void Finish(ImportResult& result);

  private:
    const HeaderSearch& search_;
    std::vector<FieldRow*> rows_;
};
