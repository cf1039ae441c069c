#include "ui/WidgetUtilities.h"

#include <QHeaderView>
#include <QPalette>
#include <QTreeView>

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

void SetUpReportList(QTreeView* list, QAbstractItemView::SelectionMode mode,
                     bool keepSelectionVisible) {
    QHeaderView* header = list->header();
    header->setSectionsClickable(false);
    header->setStretchLastSection(false);
    list->setSortingEnabled(false);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(mode);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Grid lines between cells, as a report list draws them.
    list->setStyleSheet(QStringLiteral(
        "QTreeView::item { border-right: 1px solid #e0e0e0; border-bottom: 1px solid #e0e0e0; }"
        "QTreeView::item:selected { background: palette(highlight);"
        " color: palette(highlighted-text); }"));
    if (keepSelectionVisible) {
        QPalette pal = list->palette();
        for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
            pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
        list->setPalette(pal);
    }
}
