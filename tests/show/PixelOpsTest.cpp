#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <random>

#include "show/PixelOps.h"

// The roll's own pixel loops give what Qt's painter gives, clipped the same way.
TEST(PixelOps, BlendAndCopyMatchThePainterInsideTheirClip) {
    std::mt19937 rng(20261209);
    QImage background(97, 131, QImage::Format_RGB32);
    for (int y = 0; y < background.height(); ++y)
        for (int x = 0; x < background.width(); ++x) background.setPixel(x, y, rng() | 0xFF000000);
    QImage sprite(40, 150, QImage::Format_ARGB32_Premultiplied);  // taller than the target
    for (int y = 0; y < sprite.height(); ++y)
        for (int x = 0; x < sprite.width(); ++x) {
            // Every alpha, opaque and empty ones included, with channels no larger than it.
            const uint32_t a = (x * 7 + y) % 256;
            const auto c = [&] { return a == 0 ? 0u : uint32_t(rng() % (a + 1)); };
            sprite.setPixel(x, y, qRgba(int(c()), int(c()), int(c()), int(a)));
        }
    const QRect clip(10, 5, 70, 100);
    for (const QPoint at : {QPoint(3, -20), QPoint(70, 60), QPoint(-30, 0), QPoint(200, 0)}) {
        SCOPED_TRACE(at.x());
        QImage mine = background.copy();
        PixelOps::Blend(mine, sprite, at, clip);
        QImage qt = background.copy();
        {
            QPainter p(&qt);
            p.setClipRect(clip);
            p.drawImage(at, sprite);
        }
        int differing = 0;
        for (int y = 0; y < qt.height(); ++y)
            for (int x = 0; x < qt.width(); ++x) differing += mine.pixel(x, y) != qt.pixel(x, y);
        EXPECT_EQ(differing, 0);
    }

    QImage target(background.size(), QImage::Format_RGB32);
    target.fill(Qt::black);
    PixelOps::Copy(target, background, QRect(-5, 20, 50, 500));  // beyond both edges
    for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x) {
            const bool inside = x < 45 && y >= 20;
            ASSERT_EQ(target.pixel(x, y), inside ? background.pixel(x, y) : 0xFF000000u)
                << x << "," << y;
        }
}
