#include "controls/MediaComboBox.h"

#include <QSignalBlocker>

#include "model/MediaList.h"
#include "ui/Ui.h"

MediaComboBox::MediaComboBox(MediaList& list, QWidget* parent) : QComboBox(parent), list_(list) {
    setMaxVisibleItems(10);
    connect(this, &QComboBox::currentIndexChanged, this, &MediaComboBox::OnIndexChanged);
}

void MediaComboBox::Fill(int wanted) {
    const QSignalBlocker quiet(this);
    clear();
    for (const MediaEntry& entry : list_.Entries()) addItem(entry.name);
    if (wanted >= 0 && wanted < count()) {
        setCurrentIndex(wanted);
    } else {
        setCurrentIndex(count() > 0 ? 0 : -1);
        list_.SetIndex(0);
    }
}

bool MediaComboBox::ChooseFile(QWidget* parent, const QString& filter) {
    const QString path = Ui::OpenFileName(parent, filter);
    if (path.isEmpty()) return false;
    Fill(list_.AddFile(path));
    return true;
}

void MediaComboBox::OnIndexChanged(int index) {
    if (index < 0) return;
    list_.SetIndex(index);
    emit Picked(index);
}
