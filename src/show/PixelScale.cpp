#include "show/PixelScale.h"

#include <QRectF>
#include <QScreen>

#include <algorithm>

PixelScale::PixelScale(const QScreen* screen)
    : ratio_(screen ? std::max(1.0, screen->devicePixelRatio()) : 1.0) {}

QSize PixelScale::ToPixels(const QSize& size) const {
    return QSize(qRound(size.width() * ratio_), qRound(size.height() * ratio_));
}

QPoint PixelScale::ToPixels(const QPoint& point) const {
    return QPoint(qRound(point.x() * ratio_), qRound(point.y() * ratio_));
}

// Both directions round outwards, so a repaint never leaves a seam of stale pixels.
QRect PixelScale::ToPixels(const QRect& rect) const {
    return QRectF(rect.x() * ratio_, rect.y() * ratio_, rect.width() * ratio_,
                  rect.height() * ratio_)
        .toAlignedRect();
}

QRect PixelScale::ToLogical(const QRect& rect) const {
    return QRectF(rect.x() / ratio_, rect.y() / ratio_, rect.width() / ratio_,
                  rect.height() / ratio_)
        .toAlignedRect();
}
