#include "FieldRowSink.h"

#include "ImportRows.h"

FieldRowSink::~FieldRowSink() {
    for (FieldRow* row : rows_) ImportRows::FreeRow(row);
}

void FieldRowSink::Take(size_t index, const RowCells& row) {
    if (search_.Found() && index <= search_.HeaderIndex()) return;
    // The slot in the list comes first, so a row that is half built is still freed.
    rows_.push_back(nullptr);
    FieldRow* out = rows_.back() = ImportRows::NewRow();
    const ColumnMap& map = search_.Map();
    for (int k = 0; k < 4; ++k) {
        if (map[k] < 0) continue;
        if (const auto text = row.At(static_cast<uint32_t>(map[k])))
            ImportRows::SetSlot(*out, k, *text);
    }
}

void FieldRowSink::Finish(ImportResult& result) {
    ImportRows::Adopt(result, rows_);
}
