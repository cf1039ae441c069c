#include "show/ShowLayout.h"

#include <QtGlobal>

#include <algorithm>

namespace {

// Rectangle from left, top, right, bottom with the right and bottom edges excluded.
QRect Edges(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace

ShowLayout::ShowLayout(const QRect& screen, bool pictureMode) : pictureMode_(pictureMode) {
    const int w = screen.width();
    const int h = screen.height();
    // A 4K screen shows what a 1080p one shows, only finer.
    scale_ = std::max(1.0, h / 1080.0);
    lineHeight_ = Scaled(kLineHeight);
    const int hs = h - Scaled(kStatusBandHeight);  // top of the status band
    const int band = hs / 5;

    screen_ = Edges(0, 0, w, h);
    welcomeArea_ = Edges(0, 0, w, hs);
    topBand_ = Edges(0, 0, w, band);
    statusBand_ = Edges(0, hs, w, h);

    if (pictureMode_) {
        const int p = int(w * 0.28);
        const int m = hs - band;
        mainArea_ = Edges(p, band, w, hs);
        pictureColumn_ = Edges(0, band, p, hs);
        smallPrizeBox_ = Edges(0, band, p, band + int(m * 0.38));
        smallPictureBox_ =
            Edges(0, smallPrizeBox_.y() + smallPrizeBox_.height() + Scaled(10), p, hs - Scaled(80));
    } else {
        mainArea_ = Edges(0, band, w, hs);
        smallPrizeBox_ = Edges(0, band, w, band + Scaled(80));
    }
    namesArea_ = mainArea_.adjusted(Scaled(20), Scaled(100), -Scaled(20), -Scaled(100));
}

int ShowLayout::Scaled(int size) const {
    return qRound(size * scale_);
}

int ShowLayout::Columns(int count) const {
    const int n = std::max(1, count);
    const int limit = pictureMode_ ? 2 : 3;
    return std::min(limit, n / 4 + 1);
}

QSize ShowLayout::CellSize(int count) const {
    const int n = std::max(1, count);
    const int columns = Columns(n);
    const int rows = n / columns + (n % columns ? 1 : 0);
    return QSize(namesArea_.width() / columns, namesArea_.height() / rows);
}

QRect ShowLayout::Cell(int index, int count) const {
    const int columns = Columns(count);
    const QSize size = CellSize(count);
    const int col = index % columns;
    const int row = index / columns;
    return QRect(namesArea_.x() + size.width() * col, namesArea_.y() + size.height() * row,
                 size.width(), size.height())
        .adjusted(1, 1, -1, -1);
}
