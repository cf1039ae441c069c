#pragma once

#include <QRect>
#include <QSize>
#include <QSizeF>

// How the names of one round stand in the names area: columns and rows of one page, and how
// many pages the round takes. Planned for the widest text so that every name is as large as
// the area allows; a round too large to read at the floor size is split into pages.
class NameGrid {
  public:
    // Texts are measured at this size; their extent grows in step with the point size.
    static constexpr int kReferencePointSize = 100;
    // The share of a cell a name may fill: nearly all of a lone column's width, so one long key
    // does not shrink everybody; side by side, names keep a clear gap between them.
    static double WidthShare(int columns) { return columns > 1 ? 0.8 : 0.92; }
    static constexpr double kHeightShare = 0.6;

    int columns = 1;
    int rows = 1;
    int perPage = 1;  // names on one page (the last page may hold fewer)
    int pages = 1;

    // text: the widest text's extent at the reference size; floorPointSize: the smallest size
    // the back of the room reads. One to three names stand in one column, as always.
    static NameGrid Plan(const QSize& area, int count, const QSizeF& text, int floorPointSize);
    // The point size a text of that extent is fitted to in a cell of this grid (estimated).
    static double FittedSize(const QSize& area, int columns, int rows, const QSizeF& text);

    // The cell of the slot-th name of a page, one pixel inside its share of the area.
    QRect Cell(const QRect& area, int slot) const;
};
