#include "app/TerminationSignals.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

// The watching itself is in TerminationSignals_posix.cpp and TerminationSignals_windows.cpp.

void TerminationSignals::CloseAllDialogs(QWidget* mainWindow) {
    // A modal widget only leaves the stack once it is hidden; the guard covers one that
    // refuses to close.
    for (int guard = 0; guard < 64; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == mainWindow) break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (modal->isVisible()) modal->hide();
    }
    if (auto* dialog = qobject_cast<QDialog*>(mainWindow)) dialog->reject();
}
