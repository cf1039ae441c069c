#include "show/PixelOps.h"

#include <cstring>

namespace PixelOps {

bool Opaque32(const QImage& image) {
    return image.format() == QImage::Format_RGB32;
}

void Copy(QImage& to, const QImage& from, const QRect& area) {
    const QRect r = area & to.rect() & from.rect();
    if (r.isEmpty()) return;
    const size_t bytes = size_t(r.width()) * 4;
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::memcpy(to.scanLine(y) + size_t(r.left()) * 4,
                    from.constScanLine(y) + size_t(r.left()) * 4, bytes);
}

void Blend(QImage& to, const QImage& sprite, QPoint topLeft, const QRect& clip) {
    const QRect r = QRect(topLeft, sprite.size()) & clip & to.rect();
    if (r.isEmpty()) return;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* d = reinterpret_cast<uint32_t*>(to.scanLine(y)) + r.left();
        const auto* s = reinterpret_cast<const uint32_t*>(sprite.constScanLine(y - topLeft.y())) +
                        (r.left() - topLeft.x());
        // A glyph's box is mostly empty at its sides: only the inked stretch of a row is
        // read and written back.
        int first = 0, last = r.width();
        while (first < last && (s[first] >> 24) == 0) ++first;
        while (last > first && (s[last - 1] >> 24) == 0) --last;
        // Premultiplied source over, dst * (255 - a) / 255 + src, two channels at a time.
        // Without branches (exact for a = 0 and a = 255 too), so the compiler vectorizes it.
        for (int x = first; x < last; ++x) {
            const uint32_t src = s[x];
            const uint32_t ia = 255 - (src >> 24);
            const uint32_t dst = d[x];
            uint32_t rb = (dst & 0x00FF00FF) * ia;
            uint32_t g = ((dst >> 8) & 0x000000FF) * ia;
            rb = ((rb + ((rb >> 8) & 0x00FF00FF) + 0x00800080) >> 8) & 0x00FF00FF;
            g = ((g + (g >> 8) + 0x80) >> 8) & 0xFF;
            d[x] = 0xFF000000 | ((rb + (src & 0x00FF00FF)) & 0x00FF00FF) |
                   (((g + ((src >> 8) & 0xFF)) & 0xFF) << 8);
        }
    }
}

}  // namespace PixelOps
