#pragma once

#include <QImage>
#include <QRect>

// The per-tick pixel work of a roll, done on this thread. Qt's raster engine hands any blit of
// more than about 96 rows to its GUI thread pool and waits for it; at 50 ticks a second the
// wake-ups cost a shared laptop more than the pixels do. Plain row loops need no pool.
namespace PixelOps {
// Whether the fast paths apply: an opaque 32-bit target and source.
bool Opaque32(const QImage& image);
// Copies area of from onto to (same size and format), clipped to both.
void Copy(QImage& to, const QImage& from, const QRect& area);
// Blends a premultiplied sprite onto an opaque 32-bit target at topLeft, inside clip.
void Blend(QImage& to, const QImage& sprite, QPoint topLeft, const QRect& clip);
}  // namespace PixelOps
