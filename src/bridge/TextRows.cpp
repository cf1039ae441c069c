#include "TextRows.h"

#include <optional>

bool TextRows::ReadRow(RowCells& row) {
    row.line = reader_.Line();
    if (!reader_.Next(fields_)) return false;
    row.cells.clear();
    row.cells.reserve(fields_.size());
    for (size_t i = 0; i < fields_.size(); ++i)
        row.cells.push_back({static_cast<uint32_t>(i), fields_[i]});
    row.width = static_cast<uint32_t>(fields_.size());
    return true;
}

void TextRows::Detect(HeaderSearch& search) {
    reader_.Seek(0, 1);
    above_.clear();
    found_ = false;
    std::optional<CsvReader::Separators> first;
    RowCells row;
    for (;;) {
        const size_t position = reader_.Position();
        const uint32_t line = reader_.Line();
        const CsvReader::Separators separators = CsvReader::Choose(reader_.LineAt(position));
        reader_.SetSeparators(separators);
        if (!ReadRow(row)) break;
        if (!first && !row.Empty()) first = separators;
        const bool more = search.Offer(above_.size(), row);
        if (search.Found()) {
            found_ = true;
            separators_ = separators;
            headerPosition_ = position;
            headerLine_ = line;
            return;
        }
        if (!more) break;
        above_.push_back(row);
    }
    above_.clear();
    separators_ = first.value_or(CsvReader::Separators::Comma);
}

void TextRows::Emit(RowSink& sink) {
    size_t index = 0;
    if (found_) {
        for (const RowCells& row : above_) sink.Take(index++, row);
        reader_.Seek(headerPosition_, headerLine_);
    } else {
        reader_.Seek(0, 1);
    }
    reader_.SetSeparators(separators_);
    RowCells row;
    while (ReadRow(row)) sink.Take(index++, row);
}
