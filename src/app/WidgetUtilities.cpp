#include "app/WidgetUtilities.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

void SetFontOnAll(QWidget* window, const QFont& font) {
    if (!window) return;
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    for (QWidget* child : children) child->setFont(font);
    window->setFont(font);
}

double DialogUnitScale(const QWidget* widget) {
    const QScreen* screen = widget ? widget->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

QRect DialogUnitsToPixels(const QWidget* widget, int x, int y, int w, int h) {
    const double scale = DialogUnitScale(widget);
    const auto px = [scale](int units) { return int(std::lround(units * 6.0 / 4.0 * scale)); };
    const auto py = [scale](int units) { return int(std::lround(units * 13.0 / 8.0 * scale)); };
    const int left = px(x);
    const int top = py(y);
    return QRect(left, top, px(x + w) - left, py(y + h) - top);
}
