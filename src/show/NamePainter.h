#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRawFont>
#include <QRect>
#include <QString>

#include <tuple>
#include <utility>
#include <vector>

#include "show/SpriteCache.h"

class QPainter;

// Draws the rolling names from pictures of their glyphs. Qt draws glyphs of this size from
// their outlines every time and shapes each text anew; the names change fifty times a second,
// so each glyph is drawn once, each name is laid out once, and a tick only copies pictures.
// It also tells where a name's ink lies, so a tick repaints no more than what changed.
class NamePainter {
  public:
    NamePainter();

    // Glyphs are measured and drawn at the target's resolution.
    void SetDevice(const QImage* measureDevice) { device_ = measureDevice; }
    void Clear();

    // Where the name's pixels fall when centred in the cell (shortened to its width when even
    // then too long); empty for a text without ink.
    QRect Bounds(const QRect& cell, const QString& text, const QFont& font, QRgb color);
    // Draws the name centred in the cell; returns where its pixels fell.
    // The same straight into an opaque 32-bit image, inside clip, without a painter.
    QRect DrawInto(QImage& target, const QRect& clip, const QRect& cell, const QString& text,
                   const QFont& font, QRgb color);
    QRect Draw(QPainter& p, const QRect& cell, const QString& text, const QFont& font, QRgb color);

  private:
    struct Sprite {
        QImage image;
        QPoint offset;  // of the image's top left from the glyph's origin
    };
    // A name laid out once: its glyph pictures from the text origin, its size and its ink.
    struct Placed {
        std::vector<std::pair<QImage, QPoint>> glyphs;
        double width = 0;
        double height = 0;
        QRect ink;  // from the origin
    };
    const Placed& Layout(const QString& text, const QFont& font, QRgb color, int cellWidth);
    const Sprite& GlyphSprite(const QRawFont& font, quint32 glyph, QRgb color);
    static QPoint Origin(const QRect& cell, const Placed& placed);

    const QImage* device_ = nullptr;
    // Glyphs of the rolling names, ready to copy, by face, size, glyph and colour.
    SpriteCache<std::tuple<QString, QString, int, quint32, QRgb>, Sprite> glyphs_;
    // Names laid out, by text, font, colour and cell width.
    SpriteCache<std::tuple<QString, QString, int, QRgb, int>, Placed> names_;
};
