#pragma once

#include <QFont>
#include <QRect>

class QPainter;
class ShowLayout;
struct ShowPrompt;

// Paints a ShowPrompt over a show screen: a dark plate in the middle, the question in large
// white letters, 是(Y) and 否(N) below with the chosen one lit. Where the buttons stand is
// pure geometry, so clicks find them too.
class PromptPainter {
  public:
    static QRect Plate(const ShowLayout& layout);
    static QRect YesButton(const ShowLayout& layout);
    static QRect NoButton(const ShowLayout& layout);
    static void Paint(QPainter& p, const ShowLayout& layout, const ShowPrompt& prompt,
                      const QString& family);
};
