#pragma once

#include <QAbstractItemView>
#include <QRect>

class QFont;
class QTreeView;
class QWidget;

// Gives the font to every descendant of window and then to window itself.
void SetFontOnAll(QWidget* window, const QFont& font);

// Converts a rectangle given in dialog units of the classic 8-point dialog font into pixels
// for the screen of widget (horizontal unit 6/4 px, vertical 13/8 px at 96 dpi). Edges are
// converted rather than sizes, so items that touch in dialog units still touch on screen.
QRect DialogUnitsToPixels(const QWidget* widget, int x, int y, int w, int h);
// The factor the screen of widget applies to the 96-dpi pixel sizes.
double DialogUnitScale(const QWidget* widget);

// Makes a tree view look and behave like a report list: flat rows selected whole, grid lines
// between cells, fixed headers that do not sort. With keepSelectionVisible the selection
// looks the same when the list loses the focus.
void SetUpReportList(QTreeView* list, QAbstractItemView::SelectionMode mode,
                     bool keepSelectionVisible);
