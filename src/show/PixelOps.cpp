#include "show/PixelOps.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace PixelOps {

bool Opaque32(const QImage& image) {
    return image.format() == QImage::Format_RGB32;
}

bool Target32(const QImage& image) {
    return image.format() == QImage::Format_RGB32 ||
           image.format() == QImage::Format_ARGB32_Premultiplied;
}

void Copy(QImage& to, const QImage& from, const QRect& area) {
    const QRect r = area & to.rect() & from.rect();
    if (r.isEmpty()) return;
    // Lines by pointer: scanLine() on a writable image asks for a detach on every call.
    const size_t bytes = size_t(r.width()) * 4;
    const qsizetype toLine = to.bytesPerLine(), fromLine = from.bytesPerLine();
    uchar* d = to.bits() + r.top() * toLine + size_t(r.left()) * 4;
    const uchar* s = from.constBits() + r.top() * fromLine + size_t(r.left()) * 4;
    for (int y = r.top(); y <= r.bottom(); ++y, d += toLine, s += fromLine)
        std::memcpy(d, s, bytes);
}

std::vector<Span> InkedSpans(const QImage& sprite) {
    std::vector<Span> spans(size_t(std::max(0, sprite.height())));
    for (int y = 0; y < sprite.height(); ++y) {
        const auto* s = reinterpret_cast<const uint32_t*>(sprite.constScanLine(y));
        int first = 0, last = sprite.width();
        while (first < last && (s[first] >> 24) == 0) ++first;
        while (last > first && (s[last - 1] >> 24) == 0) --last;
        spans[size_t(y)] = {first, last};
    }
    return spans;
}

QRect InkedRect(const QImage& sprite) {
    int left = sprite.width(), right = -1, top = -1, bottom = -1;
    const std::vector<Span> spans = InkedSpans(sprite);
    for (size_t y = 0; y < spans.size(); ++y) {
        if (spans[y].first >= spans[y].last) continue;
        if (top < 0) top = int(y);
        bottom = int(y);
        left = std::min(left, int(spans[y].first));
        right = std::max(right, int(spans[y].last) - 1);
    }
    return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

namespace {

// Premultiplied source over an opaque pixel: dst * (255 - a) / 255 + src, rounded as Qt rounds.
inline uint32_t Over(uint32_t dst, uint32_t src) {
    const uint32_t ia = 255 - (src >> 24);
    uint32_t rb = (dst & 0x00FF00FF) * ia;
    uint32_t g = ((dst >> 8) & 0x000000FF) * ia;
    rb = ((rb + ((rb >> 8) & 0x00FF00FF) + 0x00800080) >> 8) & 0x00FF00FF;
    g = ((g + (g >> 8) + 0x80) >> 8) & 0xFF;
    return 0xFF000000 | ((rb + (src & 0x00FF00FF)) & 0x00FF00FF) |
           (((g + ((src >> 8) & 0xFF)) & 0xFF) << 8);
}

#ifdef __SSE2__
// Four pixels of the same, in 16-bit lanes; exact like Over.
inline __m128i Over4(__m128i dst, __m128i src) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i all = _mm_set1_epi16(255);
    const __m128i half = _mm_set1_epi16(0x80);
    auto scale = [&](__m128i d, __m128i s) {
        __m128i a = _mm_shufflelo_epi16(s, _MM_SHUFFLE(3, 3, 3, 3));
        a = _mm_shufflehi_epi16(a, _MM_SHUFFLE(3, 3, 3, 3));
        __m128i t = _mm_mullo_epi16(d, _mm_sub_epi16(all, a));
        t = _mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), half);
        return _mm_srli_epi16(t, 8);
    };
    const __m128i lo = scale(_mm_unpacklo_epi8(dst, zero), _mm_unpacklo_epi8(src, zero));
    const __m128i hi = scale(_mm_unpackhi_epi8(dst, zero), _mm_unpackhi_epi8(src, zero));
    const __m128i sum = _mm_add_epi8(_mm_packus_epi16(lo, hi), src);
    return _mm_or_si128(sum, _mm_set1_epi32(int(0xFF000000)));
}
#endif

}  // namespace

void Blend(QImage& to, const QImage& sprite, QPoint topLeft, const QRect& clip,
           const std::vector<Span>* spans) {
    const QRect r = QRect(topLeft, sprite.size()) & clip & to.rect();
    if (r.isEmpty()) return;
    const qsizetype toLine = to.bytesPerLine(), spriteLine = sprite.bytesPerLine();
    uchar* toRow = to.bits() + r.top() * toLine;
    const uchar* spriteRow = sprite.constBits() + (r.top() - topLeft.y()) * spriteLine;
    const int left = r.left() - topLeft.x();  // of the clipped part in the sprite
    for (int y = r.top(); y <= r.bottom(); ++y, toRow += toLine, spriteRow += spriteLine) {
        auto* d = reinterpret_cast<uint32_t*>(toRow) + r.left() - left;
        const auto* s = reinterpret_cast<const uint32_t*>(spriteRow);
        // A glyph's box is mostly empty at its sides: only the inked stretch of a row is
        // read and written back.
        int first = left, last = left + r.width();
        if (spans) {
            const Span span = (*spans)[size_t(y - topLeft.y())];
            first = std::max(first, int(span.first));
            last = std::min(last, int(span.last));
        } else {
            while (first < last && (s[first] >> 24) == 0) ++first;
            while (last > first && (s[last - 1] >> 24) == 0) --last;
        }
        int x = first;
#ifdef __SSE2__
        // Four at a time; inside a glyph most runs are wholly empty or wholly inked, which
        // need no arithmetic (and the empty ones not even the target).
        const __m128i alpha = _mm_set1_epi32(int(0xFF000000));
        for (; x + 4 <= last; x += 4) {
            const __m128i src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
            const __m128i a = _mm_and_si128(src, alpha);
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, _mm_setzero_si128())) == 0xFFFF) continue;
            auto* out = reinterpret_cast<__m128i*>(d + x);
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, alpha)) == 0xFFFF)
                _mm_storeu_si128(out, src);
            else
                _mm_storeu_si128(out, Over4(_mm_loadu_si128(out), src));
        }
#endif
        for (; x < last; ++x) d[x] = Over(d[x], s[x]);
    }
}

}  // namespace PixelOps
