#pragma once

#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

// The per-tick pixel work of a roll, done on this thread. Qt's raster engine hands any blit of
// more than about 96 rows to its GUI thread pool and waits for it; at 50 ticks a second the
// wake-ups cost a shared laptop more than the pixels do. Plain row loops need no pool.
namespace PixelOps {
// The inked stretch [first, last) of one row of a sprite.
struct Span {
    int32_t first = 0;
    int32_t last = 0;
};
// Each row's inked stretch (alpha above zero) of a premultiplied sprite.
std::vector<Span> InkedSpans(const QImage& sprite);
// The smallest rectangle holding every inked pixel of a premultiplied sprite; empty when none.
QRect InkedRect(const QImage& sprite);

// Whether the fast paths apply: an opaque 32-bit source.
bool Opaque32(const QImage& image);
// A target they may write: 32-bit, either without alpha or premultiplied (a window's backing
// store often is) with every pixel opaque, as a painted frame is; what they write is opaque.
bool Target32(const QImage& image);
// Copies area of from onto to (same size and format), clipped to both.
void Copy(QImage& to, const QImage& from, const QRect& area);
// Blends a premultiplied sprite onto an opaque 32-bit target at topLeft, inside clip. With
// spans (InkedSpans of the sprite), rows are not searched for their ink.
void Blend(QImage& to, const QImage& sprite, QPoint topLeft, const QRect& clip,
           const std::vector<Span>* spans = nullptr);
}  // namespace PixelOps
