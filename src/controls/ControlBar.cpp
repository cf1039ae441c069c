#include "controls/ControlBar.h"

#include <QPainter>
#include <QPushButton>

#include "app/Notices.h"

ControlBar::ControlBar(QWidget* parent)
    : QWidget(parent), start_(new QPushButton(QStringLiteral("开始抽奖"), this)) {
    setObjectName(QStringLiteral("VT_CONTROL_BAR"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    start_->setDefault(true);
    connect(start_, &QPushButton::clicked, this,
            [this] { SendNotice(parentWidget(), WM_START_DRAW); });
}

void ControlBar::resizeEvent(QResizeEvent*) {
    // Always 400 px wide at the right end, even when the bar is narrower than that.
    start_->setGeometry(width() - kMargin - kButtonWidth, kMargin, kButtonWidth,
                        height() - 2 * kMargin);
}

// Painted straight onto the widget: Qt's backing store already double-buffers it.
void ControlBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgba(0xFFD9D9D9));
}
