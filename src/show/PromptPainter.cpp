#include "show/PromptPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "show/ShowLayout.h"
#include "show/ShowPrompt.h"

namespace {

constexpr QRgb kPlate = 0xE6201010;
constexpr QRgb kGold = 0xFFF2C14E;
constexpr int kTextPointSize = 44;
constexpr int kDetailPointSize = 20;
constexpr int kButtonPointSize = 30;

QFont Bold(const QString& family, int pointSize) {
    QFont f;
    f.setFamilies({family, QStringLiteral("sans-serif")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(std::max(1, pointSize));
    f.setBold(true);
    return f;
}

// The largest size up to start at which text fits width on one line.
QFont Fitted(const QString& family, int start, const QString& text, int width,
             QPaintDevice* device) {
    QFont f = Bold(family, start);
    for (int size = start; size > 10; size -= 2) {
        f.setPointSize(size);
        if (QFontMetricsF(f, device).horizontalAdvance(text) <= width) break;
    }
    return f;
}

}  // namespace

QRect PromptPainter::Plate(const ShowLayout& layout) {
    const QRect& screen = layout.ScreenRect();
    const int w = int(screen.width() * 0.56);
    const int h = int(screen.height() * 0.36);
    return QRect(screen.center().x() - w / 2, screen.center().y() - h / 2, w, h);
}

QRect PromptPainter::YesButton(const ShowLayout& layout) {
    const QRect plate = Plate(layout);
    const int w = plate.width() / 4;
    const int h = plate.height() / 4;
    return QRect(plate.center().x() - w - layout.Scaled(30), plate.bottom() - h - layout.Scaled(30),
                 w, h);
}

QRect PromptPainter::NoButton(const ShowLayout& layout) {
    const QRect yes = YesButton(layout);
    return yes.translated(yes.width() + 2 * layout.Scaled(30), 0);
}

void PromptPainter::Paint(QPainter& p, const ShowLayout& layout, const ShowPrompt& prompt,
                          const QString& family) {
    const QRect plate = Plate(layout);
    const qreal radius = layout.Scaled(24);
    p.save();
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.setPen(QPen(QColor::fromRgba(kGold), layout.Scaled(4)));
    p.setBrush(QColor::fromRgba(kPlate));
    p.drawRoundedRect(plate, radius, radius);

    const int inner = plate.width() - 2 * layout.Scaled(40);
    const QRect textBox(plate.left() + layout.Scaled(40), plate.top() + layout.Scaled(30), inner,
                        plate.height() / 3);
    p.setPen(Qt::white);
    p.setFont(Fitted(family, layout.Scaled(kTextPointSize), prompt.text, inner, p.device()));
    p.drawText(textBox, Qt::AlignCenter, prompt.text);
    if (!prompt.detail.isEmpty()) {
        const QRect detailBox(textBox.left(), textBox.bottom() + 1, inner, plate.height() / 6);
        p.setPen(QColor(255, 236, 200));
        p.setFont(
            Fitted(family, layout.Scaled(kDetailPointSize), prompt.detail, inner, p.device()));
        p.drawText(detailBox, Qt::AlignCenter, prompt.detail);
    }

    const QFont button = Bold(family, layout.Scaled(kButtonPointSize));
    p.setFont(button);
    const struct {
        QRect box;
        QString label;
        bool chosen;
    } buttons[] = {{YesButton(layout), QStringLiteral("是(Y)"), prompt.yesChosen},
                   {NoButton(layout), QStringLiteral("否(N)"), !prompt.yesChosen}};
    for (const auto& b : buttons) {
        p.setPen(QPen(QColor::fromRgba(kGold), layout.Scaled(3)));
        p.setBrush(b.chosen ? QColor::fromRgba(kGold) : QColor(0, 0, 0, 0));
        p.drawRoundedRect(b.box, radius / 2, radius / 2);
        p.setPen(b.chosen ? QColor(60, 10, 10) : QColor::fromRgba(kGold));
        p.drawText(b.box, Qt::AlignCenter, b.label);
    }
    p.restore();
}
