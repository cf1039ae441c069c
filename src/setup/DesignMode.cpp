#include "setup/DesignMode.h"

#include <QApplication>

#include "app/Ui.h"
#include "model/AppData.h"
#include "show/DesignWindow.h"

bool RunDesignMode(AppData& data, QWidget* parent) {
    {
        DesignWindow window(data, parent ? parent : QApplication::activeWindow());
        Ui::Exec(window);
    }
    // Changes were kept in memory while the operator worked; they are written once here.
    return data.Save(AppData::kSaveData);
}
