#include "show/NameWidths.h"

#include <algorithm>
#include <numeric>

double NameWidths::Advance(char32_t c) {
    if (c < 0x10000) {
        if (basic_.empty()) basic_.assign(0x10000, -1.0f);
        float& a = basic_[c];
        if (a < 0) a = float(metrics_.horizontalAdvance(QChar(char16_t(c))));
        return a;
    }
    auto it = other_.find(c);
    if (it != other_.end()) return it->second;
    const char32_t one[1] = {c};
    return other_[c] = metrics_.horizontalAdvance(QString::fromUcs4(one, 1));
}

double NameWidths::Estimate(const QString& text) {
    double width = 0;
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = p[i];
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1]))
            c = QChar::surrogateToUcs4(char16_t(c), p[++i]);
        width += Advance(c);
    }
    return width;
}

qsizetype NameWidths::Widest(const std::vector<QString>& texts, size_t candidates) {
    if (texts.empty()) return -1;
    std::vector<double> estimate(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) estimate[i] = Estimate(texts[i]);
    std::vector<size_t> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    const size_t k = std::min(candidates, order.size());
    std::partial_sort(order.begin(), order.begin() + qsizetype(k), order.end(),
                      [&](size_t a, size_t b) { return estimate[a] > estimate[b]; });
    qsizetype widest = -1;
    double best = -1;
    for (size_t j = 0; j < k; ++j) {
        const double w = metrics_.horizontalAdvance(texts[order[j]]);
        if (w > best) {
            best = w;
            widest = qsizetype(order[j]);
        }
    }
    return widest;
}
