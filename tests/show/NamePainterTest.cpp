#include <gtest/gtest.h>

#include <QFont>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "show/NamePainter.h"

namespace {

// The name drawn glyph by glyph with Qt's painter, each glyph at the whole pixel the painter
// puts its picture on, and centred in the cell as a placed name is.
QImage Reference(const QImage& like, const QRect& cell, const QString& text, const QFont& font,
                 QRgb color) {
    QImage out(like.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QTextLayout layout(text, font, &out);
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    const QRectF box(cell);
    const QPoint origin(qRound(box.center().x() - line.naturalTextWidth() / 2),
                        qRound(box.center().y() - line.height() / 2));
    QPainter p(&out);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.setPen(QColor::fromRgba(color));
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            QGlyphRun one;
            one.setRawFont(run.rawFont());
            one.setGlyphIndexes({indexes[i]});
            one.setPositions({QPointF(qRound(positions[i].x()), qRound(positions[i].y()))});
            p.drawGlyphRun(origin, one);
        }
    }
    return out;
}

QRect InkOf(const QImage& image) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0) ink |= QRect(x, y, 1, 1);
    return ink;
}

}  // namespace

// The glyph pictures keep only their ink, yet land where the painter would draw the glyphs,
// and a placed name's ink is exactly where its pixels fall: no blank margin for a tick to
// repaint.
TEST(NamePainter, DrawsWhereThePainterDrawsAndKnowsItsInkExactly) {
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(64);
    font.setBold(true);
    const QRgb color = qRgb(20, 10, 0);
    const QRect cell(40, 30, 900, 140);
    for (const QString& text : {QStringLiteral("王杰 研发部"), QStringLiteral("一 二"),
                                QStringLiteral("Ångström-Smith, Jr."), QStringLiteral(" ")}) {
        SCOPED_TRACE(text.toStdString());
        QImage mine(1000, 200, QImage::Format_ARGB32_Premultiplied);
        mine.fill(Qt::transparent);
        NamePainter painter;
        painter.SetDevice(&mine);
        const NamePainter::Placement placed = painter.Place(cell, text, font, color);
        QRect drawn;
        {
            QPainter p(&mine);
            drawn = painter.Draw(p, cell, text, font, color);
        }
        const QImage qt = Reference(mine, cell, text, font, color);
        EXPECT_EQ(placed.ink, InkOf(mine));
        EXPECT_EQ(drawn, placed.ink);
        EXPECT_EQ(InkOf(qt), InkOf(mine));
        // A picture put down with the painter may round a channel apart from a glyph drawn in
        // place where two glyphs' edges meet; anything more is a glyph out of place.
        int worst = 0;
        for (int y = 0; y < qt.height(); ++y)
            for (int x = 0; x < qt.width(); ++x) {
                const QRgb a = mine.pixel(x, y), b = qt.pixel(x, y);
                worst =
                    std::max({worst, std::abs(qAlpha(a) - qAlpha(b)), std::abs(qRed(a) - qRed(b)),
                              std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
            }
        EXPECT_LE(worst, 2);
    }
}
