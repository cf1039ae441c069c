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
    // Rows with empty ends and an empty row, for the stretches kept beside the sprite.
    for (int x = 0; x < 9; ++x) sprite.setPixel(x, 7, 0);
    for (int x = 31; x < sprite.width(); ++x) sprite.setPixel(x, 7, 0);
    for (int x = 0; x < sprite.width(); ++x) sprite.setPixel(x, 8, 0);
    // Runs wholly inked and wholly empty, as inside a glyph.
    for (int y = 10; y < 14; ++y)
        for (int x = 0; x < 24; ++x)
            sprite.setPixel(x, y, x < 16 ? qRgba(int(rng() % 256), 40, 200, 255) : 0);
    const std::vector<PixelOps::Span> spans = PixelOps::InkedSpans(sprite);
    ASSERT_EQ(spans.size(), size_t(sprite.height()));
    EXPECT_EQ(spans[7].first, 9);
    EXPECT_EQ(spans[7].last, 31);
    EXPECT_EQ(spans[8].first, spans[8].last);
    const QRect clip(10, 5, 70, 100);
    for (const QPoint at :
         {QPoint(3, -20), QPoint(70, 60), QPoint(-30, 0), QPoint(200, 0), QPoint(5, -3)})
        for (const bool withSpans : {false, true})
            for (const QImage::Format format :
                 {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
                SCOPED_TRACE(QStringLiteral("%1,%2 spans %3 format %4")
                                 .arg(at.x())
                                 .arg(at.y())
                                 .arg(withSpans)
                                 .arg(int(format))
                                 .toStdString());
                QImage mine = background.convertToFormat(format);
                ASSERT_TRUE(PixelOps::Target32(mine));
                PixelOps::Blend(mine, sprite, at, clip, withSpans ? &spans : nullptr);
                QImage qt = background.copy();
                {
                    QPainter p(&qt);
                    p.setClipRect(clip);
                    p.drawImage(at, sprite);
                }
                int differing = 0;
                for (int y = 0; y < qt.height(); ++y)
                    for (int x = 0; x < qt.width(); ++x)
                        differing += mine.pixel(x, y) != qt.pixel(x, y);
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
