#include "show/ShowScreens.h"

#include <QGuiApplication>
#include <QScreen>

QScreen* ShowScreens::Find(const QString& name) {
    if (!name.isEmpty()) {
        for (QScreen* screen : QGuiApplication::screens())
            if (screen->name() == name) return screen;
    }
    return QGuiApplication::primaryScreen();
}

QString ShowScreens::Label(const QScreen* screen) {
    if (!screen) return QString();
    const QSize size = screen->size() * screen->devicePixelRatio();
    QString label =
        QStringLiteral("%1（%2×%3）").arg(screen->name()).arg(size.width()).arg(size.height());
    if (screen == QGuiApplication::primaryScreen()) label += QStringLiteral(" 主屏幕");
    return label;
}
