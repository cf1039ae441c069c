#include "controls/TabStrip.h"

#include <QHoverEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/Notices.h"
#include "ui/UiFont.h"

TabStrip::TabStrip(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("VT_TABS"));
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TabStrip::AddItem(const QString& caption) {
    captions_ << caption;
    update();
}

void TabStrip::Select(int index) {
    if (index < 0 || index >= ItemCount()) return;
    if (index != selected_) {
        selected_ = index;
        SendNotice(parentWidget(), WM_SELECT_TAB, index);
    }
    update();
}

int TabStrip::HitTest(QPoint point) const {
    if (point.x() < 0 || point.x() >= width() || point.y() < 0) return -1;
    if (point.y() >= ItemCount() * kItemHeight) return -1;
    return point.y() / kItemHeight;
}

void TabStrip::UpdateCursor(QPoint point) {
    if (HitTest(point) >= 0)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

bool TabStrip::event(QEvent* event) {
    if (event->type() == QEvent::HoverMove || event->type() == QEvent::HoverEnter)
        UpdateCursor(static_cast<QHoverEvent*>(event)->position().toPoint());
    return QWidget::event(event);
}

void TabStrip::mouseMoveEvent(QMouseEvent* event) {
    UpdateCursor(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

void TabStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    const int item = HitTest(event->position().toPoint());
    if (item >= 0) Select(item);
}

// Painted straight onto the widget: Qt's backing store already double-buffers it.
void TabStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgba(0xFFF0F0F0));
    QFont font(TheUiFont().Font());
    font.setPointSize(kFontPoints);
    font.setBold(false);
    font.setItalic(false);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int i = 0; i < ItemCount(); ++i) {
        const int y = i * kItemHeight;
        if (i == selected_) painter.fillRect(kSelectionLeft, y, width(), kItemHeight, Qt::white);
        painter.drawText(QRect(0, y, width(), kItemHeight), Qt::AlignCenter, captions_[i]);
    }
}
