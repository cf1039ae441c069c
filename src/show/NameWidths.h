#pragma once

#include <QFontMetricsF>
#include <QString>

#include <unordered_map>
#include <vector>

// Finds the widest of many names quickly. Measuring 100,000 names one by one takes far too
// long for the start of a roll, so each text is first estimated from cached advances of its
// characters; only the few widest estimates are then measured exactly.
class NameWidths {
  public:
    explicit NameWidths(const QFontMetricsF& metrics) : metrics_(metrics) {}

    // The sum of the advances of the text's characters (kerning and shaping left out).
    double Estimate(const QString& text);
    // The index of the widest text, measured exactly among the widest estimates; -1 when
    // there are none.
    qsizetype Widest(const std::vector<QString>& texts, size_t candidates = 16);

  private:
    double Advance(char32_t c);

    QFontMetricsF metrics_;
    std::vector<float> basic_;  // advances of the Basic Multilingual Plane, -1 until measured
    std::unordered_map<char32_t, double> other_;
};
