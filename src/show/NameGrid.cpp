#include "show/NameGrid.h"

#include <algorithm>

namespace {

// More columns than this never helps on a screen; it also bounds the search for huge rounds.
constexpr int kMostColumns = 40;

int CeilDiv(int a, int b) {
    return a / b + (a % b ? 1 : 0);
}

}  // namespace

double NameGrid::FittedSize(const QSize& area, int columns, int rows, const QSizeF& text) {
    const double cellW = double(area.width()) / std::max(1, columns) - 2;
    const double cellH = double(area.height()) / std::max(1, rows) - 2;
    if (cellW <= 0 || cellH <= 0) return 0;
    const double w = std::max(1.0, text.width());
    const double h = std::max(1.0, text.height());
    return kReferencePointSize *
           std::min(cellW * WidthShare(columns) / w, cellH * kHeightShare / h);
}

NameGrid NameGrid::Plan(const QSize& area, int count, const QSizeF& text, int floorPointSize) {
    const int n = std::max(1, count);
    NameGrid grid;
    if (n <= 3) {
        grid.rows = n;
        grid.perPage = n;
        return grid;
    }
    // The column count that gives the largest size with every name on one page.
    auto best = [&](int names) {
        NameGrid g;
        double bestSize = -1;
        for (int c = 1; c <= std::min(names, kMostColumns); ++c) {
            const int r = CeilDiv(names, c);
            const double size = FittedSize(area, c, r, text);
            if (size > bestSize) {
                bestSize = size;
                g.columns = c;
                g.rows = r;
            }
        }
        g.perPage = names;
        return std::make_pair(g, bestSize);
    };
    auto [one, size] = best(n);
    if (size >= floorPointSize) return one;

    // Too many for one page: the most names a page holds at the floor size, then the pages
    // share the round evenly, each laid out as large as its share allows.
    const double h = std::max(1.0, text.height());
    const double w = std::max(1.0, text.width());
    const double cellH = floorPointSize * h / (kReferencePointSize * kHeightShare) + 2;
    const double cellW = floorPointSize * w / (kReferencePointSize * WidthShare(2)) + 2;
    const int rows = std::max(1, int(area.height() / cellH));
    const int columns = std::clamp(int(area.width() / cellW), 1, kMostColumns);
    const int capacity = rows * columns;
    const int pages = CeilDiv(n, capacity);
    auto [page, pageSize] = best(CeilDiv(n, pages));
    (void)pageSize;
    page.pages = pages;
    return page;
}

QRect NameGrid::Cell(const QRect& area, int slot) const {
    const int w = area.width() / std::max(1, columns);
    const int h = area.height() / std::max(1, rows);
    const int col = slot % std::max(1, columns);
    const int row = slot / std::max(1, columns);
    return QRect(area.x() + w * col, area.y() + h * row, w, h).adjusted(1, 1, -1, -1);
}
