#include "controls/Banner.h"

#include <QPainter>

Banner::Banner(QWidget* parent) : QWidget(parent), picture_(QStringLiteral(":/banner.png")) {
    setObjectName(QStringLiteral("VT_Banner"));
}

void Banner::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), picture_);
}
