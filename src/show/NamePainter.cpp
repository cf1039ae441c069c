#include "show/NamePainter.h"

#include "show/PixelOps.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

namespace {

constexpr size_t kMaxGlyphBytes = size_t(48) << 20;
// A pool of a whole company, name by name; past this the cache starts again.
constexpr size_t kMaxNames = 20000;

}  // namespace

NamePainter::NamePainter() : glyphs_(kMaxGlyphBytes), names_(kMaxGlyphBytes, kMaxNames) {}

void NamePainter::Clear() {
    glyphs_.Clear();
    names_.Clear();
}

const std::shared_ptr<const NamePainter::Sprite>& NamePainter::GlyphSprite(const QRawFont& font,
                                                                           quint32 glyph,
                                                                           QRgb color) {
    const auto key = std::make_tuple(font.familyName(), font.styleName(),
                                     qRound(font.pixelSize() * 64), glyph, color);
    if (const auto* kept = glyphs_.Find(key)) return *kept;
    auto made = std::make_shared<Sprite>();
    Sprite& sprite = *made;
    const QRect bounds = font.boundingRect(glyph).toAlignedRect().adjusted(-2, -2, 2, 2);
    if (!bounds.isEmpty()) {
        sprite.offset = bounds.topLeft();
        sprite.image = QImage(bounds.size(), QImage::Format_ARGB32_Premultiplied);
        sprite.image.fill(Qt::transparent);
        QGlyphRun one;
        one.setRawFont(font);
        one.setGlyphIndexes({glyph});
        one.setPositions({QPointF(-bounds.x(), -bounds.y())});
        QPainter p(&sprite.image);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        p.setPen(QColor::fromRgba(color));
        p.drawGlyphRun(QPointF(0, 0), one);
        p.end();
        // The margin is for antialiasing that may spill past the outline's bounds; what it did
        // not use would only widen every tick's repaint, so the picture keeps just its ink.
        const QRect inked = PixelOps::InkedRect(sprite.image);
        if (inked.isEmpty()) {
            sprite.image = QImage();
        } else {
            if (inked != sprite.image.rect()) sprite.image = sprite.image.copy(inked);
            sprite.offset += inked.topLeft();
            sprite.spans = PixelOps::InkedSpans(sprite.image);
        }
    }
    const size_t bytes = size_t(sprite.image.sizeInBytes()) + sprite.spans.size() * 8;
    return glyphs_.Insert(key, std::move(made), bytes);
}

const std::shared_ptr<const NamePainter::Placed>& NamePainter::Layout(const QString& text,
                                                                      const QFont& font, QRgb color,
                                                                      int cellWidth) {
    const auto key = std::make_tuple(text, font.family(), font.pointSize(), color, cellWidth);
    if (const auto* kept = names_.Find(key)) return *kept;

    QString shown = text;
    auto made = std::make_shared<Placed>();
    Placed& placed = *made;
    for (int attempt = 0; attempt < 2; ++attempt) {
        QTextLayout layout(shown, font, const_cast<QImage*>(device_));
        QTextOption option(Qt::AlignLeft);
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            layout.endLayout();
            break;
        }
        line.setLineWidth(1e6);
        layout.endLayout();
        if (attempt == 0 && line.naturalTextWidth() > cellWidth) {
            // Only a name too long even at the smallest size gets here.
            const QString shorter = QFontMetricsF(font, const_cast<QImage*>(device_))
                                        .elidedText(text, Qt::ElideRight, cellWidth);
            if (shorter != shown) {
                shown = shorter;
                continue;
            }
        }
        placed.width = line.naturalTextWidth();
        placed.height = line.height();
        for (const QGlyphRun& run : layout.glyphRuns()) {
            const QRawFont raw = run.rawFont();
            const QList<quint32> indexes = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i) {
                const std::shared_ptr<const Sprite>& sprite = GlyphSprite(raw, indexes[i], color);
                if (sprite->image.isNull()) continue;
                const QPoint at =
                    QPoint(qRound(positions[i].x()), qRound(positions[i].y())) + sprite->offset;
                placed.glyphs.emplace_back(sprite, at);
                placed.ink |= QRect(at, sprite->image.size());
            }
        }
        break;
    }
    size_t bytes = sizeof(Placed) + size_t(text.size()) * 2;
    bytes += placed.glyphs.size() * sizeof(placed.glyphs.front());
    return names_.Insert(key, std::move(made), bytes);
}

QPoint NamePainter::Origin(const QRect& cell, const Placed& placed) {
    const QRectF box(cell);
    return QPoint(qRound(box.center().x() - placed.width / 2),
                  qRound(box.center().y() - placed.height / 2));
}

NamePainter::Placement NamePainter::Place(const QRect& cell, const QString& text, const QFont& font,
                                          QRgb color) {
    Placement name;
    name.placed = Layout(text, font, color, cell.width());
    name.origin = Origin(cell, *name.placed);
    if (!name.placed->ink.isEmpty()) name.ink = name.placed->ink.translated(name.origin);
    return name;
}

void NamePainter::DrawInto(QImage& target, const QRect& clip, const Placement& name) {
    if (!name.placed || !name.ink.intersects(clip)) return;
    for (const auto& [sprite, at] : name.placed->glyphs)
        PixelOps::Blend(target, sprite->image, name.origin + at, clip, &sprite->spans);
}

QRect NamePainter::Draw(QPainter& p, const QRect& cell, const QString& text, const QFont& font,
                        QRgb color) {
    const Placement name = Place(cell, text, font, color);
    for (const auto& [sprite, at] : name.placed->glyphs)
        p.drawImage(name.origin + at, sprite->image);
    return name.ink;
}
