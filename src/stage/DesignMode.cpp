#include "stage/DesignMode.h"

#include <QApplication>

#include "model/AppData.h"
#include "stage/DesignWindow.h"
#include "ui/Ui.h"

bool RunDesignMode(AppData& data, QWidget* parent) {
    {
        DesignWindow window(data, parent ? parent : QApplication::activeWindow());
        Ui::Exec(window);
    }
    // Changes were kept in memory while the operator worked; they are written once here.
    return data.Save(AppData::kSaveData);
}
