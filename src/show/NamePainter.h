#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRawFont>
#include <QRect>
#include <QString>

#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "show/PixelOps.h"
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

  private:
    struct Placed;

  public:
    // A name laid out and placed in its cell, ready to draw any part of.
    struct Placement {
        std::shared_ptr<const Placed> placed;
        QPoint origin;
        QRect ink;  // where its pixels fall; empty for a text without ink
    };
    // The name centred in the cell (shortened to its width when even then too long).
    Placement Place(const QRect& cell, const QString& text, const QFont& font, QRgb color);
    // Draws the placed name straight into an opaque 32-bit image, inside clip, without a
    // painter.
    static void DrawInto(QImage& target, const QRect& clip, const Placement& name);
    // Each glyph picture of a placed name with where its top left falls, for a display that
    // draws them itself.
    template <typename Visit>
    static void ForEachGlyph(const Placement& name, Visit&& visit) {
        if (!name.placed) return;
        for (const auto& [sprite, at] : name.placed->glyphs) visit(sprite->image, name.origin + at);
    }
    // Draws the name centred in the cell; returns where its pixels fell.
    QRect Draw(QPainter& p, const QRect& cell, const QString& text, const QFont& font, QRgb color);

  private:
    struct Sprite {
        QImage image;
        QPoint offset;                      // of the image's top left from the glyph's origin
        std::vector<PixelOps::Span> spans;  // each row's ink
    };
    // A name laid out once: its glyph pictures from the text origin, its size and its ink.
    // Shared, so a placement outlives the cache starting again.
    struct Placed {
        std::vector<std::pair<std::shared_ptr<const Sprite>, QPoint>> glyphs;
        double width = 0;
        double height = 0;
        QRect ink;  // from the origin
    };
    const std::shared_ptr<const Placed>& Layout(const QString& text, const QFont& font, QRgb color,
                                                int cellWidth);
    const std::shared_ptr<const Sprite>& GlyphSprite(const QRawFont& font, quint32 glyph,
                                                     QRgb color);
    static QPoint Origin(const QRect& cell, const Placed& placed);

    const QImage* device_ = nullptr;
    // Glyphs of the rolling names, ready to copy, by face, size, glyph and colour.
    SpriteCache<std::tuple<QString, QString, int, quint32, QRgb>, std::shared_ptr<const Sprite>>
        glyphs_;
    // Names laid out, by text, font, colour and cell width.
    SpriteCache<std::tuple<QString, QString, int, QRgb, int>, std::shared_ptr<const Placed>> names_;
};
