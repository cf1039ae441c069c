#include "SheetData.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

SheetCell SheetData::TextCell(std::string_view text) {
    if (pool_.size() + text.size() > std::numeric_limits<uint32_t>::max())
        throw std::length_error("sheet text too large");
    SheetCell cell;
    cell.kind = SheetCell::Kind::Text;
    cell.text.offset = static_cast<uint32_t>(pool_.size());
    cell.text.length = static_cast<uint32_t>(text.size());
    pool_.append(text);
    return cell;
}

void SheetData::Add(const SheetCell& cell) {
    if (cells_.size() >= kMaxCells) throw std::length_error("too many cells");
    cells_.push_back(cell);
}

bool SheetData::HoldsValue(const SheetCell& cell) const {
    return cell.kind != SheetCell::Kind::Text || cell.text.length > 0;
}

void SheetData::Normalize() {
    const auto before = [](const SheetCell& a, const SheetCell& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    };
    if (!std::is_sorted(cells_.begin(), cells_.end(), before))
        std::stable_sort(cells_.begin(), cells_.end(), before);
    // Keep the last of each run of equal places.
    size_t out = 0;
    for (size_t i = 0; i < cells_.size(); ++i) {
        if (i + 1 < cells_.size() && !before(cells_[i], cells_[i + 1])) continue;
        cells_[out++] = cells_[i];
    }
    cells_.resize(out);
}
