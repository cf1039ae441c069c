#include "controls/ScreenComboBox.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalBlocker>

#include "model/AppData.h"
#include "show/ShowScreens.h"

ScreenComboBox::ScreenComboBox(AppData& data, QWidget* parent) : QComboBox(parent), data_(data) {
    setObjectName(QStringLiteral("ShowScreenBox"));
    Fill();
    connect(this, &QComboBox::activated, this,
            [this](int index) { data_.SetShowScreen(itemData(index).toString()); });
    auto* app = qGuiApp;
    connect(app, &QGuiApplication::screenAdded, this, &ScreenComboBox::Fill);
    // Filled once the removed screen has left the list.
    connect(app, &QGuiApplication::screenRemoved, this, &ScreenComboBox::Fill,
            Qt::QueuedConnection);
    connect(app, &QGuiApplication::primaryScreenChanged, this, &ScreenComboBox::Fill);
}

void ScreenComboBox::Fill() {
    const QSignalBlocker quiet(this);
    clear();
    const QString chosen = data_.ShowScreen();
    int selected = -1;
    for (QScreen* screen : QGuiApplication::screens()) {
        addItem(ShowScreens::Label(screen), screen->name());
        if (screen->name() == chosen) selected = count() - 1;
        if (selected < 0 && chosen.isEmpty() && screen == QGuiApplication::primaryScreen())
            selected = count() - 1;
    }
    if (selected < 0 && !chosen.isEmpty()) {
        addItem(QStringLiteral("%1（未连接，使用主屏幕）").arg(chosen), chosen);
        selected = count() - 1;
    }
    if (selected < 0 && count() > 0) selected = 0;
    setCurrentIndex(selected);
}
