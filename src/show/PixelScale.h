#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;

// Logical window coordinates against the device pixels of a screen. The show screens are laid
// out and painted in device pixels, so a scaled desktop (a 4K panel at 200%) stays sharp.
class PixelScale {
  public:
    PixelScale() = default;
    explicit PixelScale(const QScreen* screen);

    double Ratio() const { return ratio_; }
    QSize ToPixels(const QSize& size) const;
    QPoint ToPixels(const QPoint& point) const;
    QRect ToPixels(const QRect& rect) const;
    QRect ToLogical(const QRect& rect) const;

  private:
    double ratio_ = 1.0;
};
