#include "app/EscapeFilter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

EscapeFilter::EscapeFilter(QWidget* window) : QObject(window), window_(window) {
    qApp->installEventFilter(this);
}

EscapeFilter::~EscapeFilter() {
    if (qApp) qApp->removeEventFilter(this);
}

bool EscapeFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
        return QObject::eventFilter(watched, event);
    // A pop-up (menu, combo box list) takes Escape to close itself, never the window.
    if (QApplication::activePopupWidget()) return QObject::eventFilter(watched, event);
    // Decided by the window the key goes to rather than by the active window alone: a show
    // just opened may take keys before the window system reports it active.
    const auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != window_) return QObject::eventFilter(watched, event);
    return true;
}
