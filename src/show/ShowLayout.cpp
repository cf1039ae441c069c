#include "show/ShowLayout.h"

#include <QtGlobal>

#include <algorithm>

namespace {

// Rectangle from left, top, right, bottom with the right and bottom edges excluded.
QRect Edges(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace

ShowLayout::Ornaments ShowLayout::OrnamentsOf(const QString& backgroundFile) {
    // Measured on the pictures assets/tools/backgrounds.py draws: fireworks, lanterns and
    // stars in the upper corners, a gold frame round the edge.
    const QString name = backgroundFile.section(QLatin1Char('/'), -1).toLower();
    if (name == QLatin1String("default.jpg")) return {0.26, 0.325, 0.045};
    if (name == QLatin1String("hydt.jpg")) return {0.22, 0.29, 0.045};
    if (name == QLatin1String("jxgz.jpg")) return {0.20, 0.24, 0.045};
    return {};
}

ShowLayout::ShowLayout(const QRect& screen, bool pictureMode, const Ornaments& ornaments)
    : pictureMode_(pictureMode) {
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

    const int inset = int(w * ornaments.titleInset);
    titleBox_ = Edges(inset, 0, w - inset, band);
    // Pictures and names stay inside a frame; a picture never touches the edge.
    const int frame = std::max(Scaled(24), int(h * ornaments.frame));
    if (pictureMode_) {
        const int p = int(w * 0.28);
        const int m = hs - band;
        mainArea_ = Edges(p, band, w, hs);
        pictureColumn_ = Edges(frame, band, p, hs);
        smallPrizeBox_ = Edges(frame, band, p, band + int(m * 0.38));
        smallPictureBox_ = Edges(frame, smallPrizeBox_.y() + smallPrizeBox_.height() + Scaled(10),
                                 p, hs - Scaled(80));
    } else {
        mainArea_ = Edges(0, band, w, hs);
        smallPrizeBox_ = Edges(0, band, w, band + Scaled(80));
    }
    namesArea_ = mainArea_.adjusted(Scaled(20), Scaled(100), -Scaled(20), -Scaled(100));
    // Wide enough for the QR code of 64 hex digits and "ABCD EF01 2345 6789" in large letters.
    const int plateW = Scaled(660);
    const int plateH = Scaled(210);
    fingerprintPlate_ = Edges(w - frame - Scaled(16) - plateW, hs - Scaled(14) - plateH,
                              w - frame - Scaled(16), hs - Scaled(14));
    const int namesTop = int(h * ornaments.namesTop);
    // Below the ornaments of the upper corners, above the plate, inside the frame.
    welcomeTitleBox_ = Edges(frame, namesTop, w - frame, fingerprintPlate_.top() - Scaled(10));
    // A code a phone reads from the room: 240 px of modules at 1080p, with its quiet zone;
    // narrower only where the fingerprint plate leaves less room.
    const int checkInH = Scaled(300);
    const int checkInLeft = frame + Scaled(16);
    const int checkInRight =
        std::min(checkInLeft + Scaled(620), fingerprintPlate_.left() - Scaled(16));
    checkInPlate_ = Edges(checkInLeft, hs - Scaled(14) - checkInH, checkInRight, hs - Scaled(14));
    if (namesArea_.top() < namesTop) namesArea_.setTop(namesTop);
    if (ornaments.frame > 0 && namesArea_.right() >= w - frame) namesArea_.setRight(w - frame - 1);
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
