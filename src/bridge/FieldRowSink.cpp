#include "FieldRowSink.h"

#include "ImportRows.h"

void FieldRowSink::Take(size_t index, const RowCells& row) {
    if (search_.Found() && index <= search_.HeaderIndex()) return;
    const ColumnMap& map = search_.Map();
    for (int k = 0; k < 4; ++k) {
        const auto text = map[k] < 0 ? std::nullopt : row.At(static_cast<uint32_t>(map[k]));
        if (!text) {
            slots_.push_back(ImportRows::kNull);
            continue;
        }
        slots_.push_back(texts_.size());
        texts_.append(*text);
        texts_.push_back('\0');
    }
    ++count_;
}

void FieldRowSink::Finish(ImportResult& result) const {
    ImportRows::Publish(result, count_, slots_, texts_);
}
