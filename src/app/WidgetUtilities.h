#pragma once

#include <QRect>

class QFont;
class QWidget;

// Gives the font to every descendant of window and then to window itself.
void SetFontOnAll(QWidget* window, const QFont& font);

// Converts a rectangle given in dialog units of the classic 8-point dialog font into pixels
// for the screen of widget (horizontal unit 6/4 px, vertical 13/8 px at 96 dpi). Edges are
// converted rather than sizes, so items that touch in dialog units still touch on screen.
QRect DialogUnitsToPixels(const QWidget* widget, int x, int y, int w, int h);
// The factor the screen of widget applies to the 96-dpi pixel sizes.
double DialogUnitScale(const QWidget* widget);
