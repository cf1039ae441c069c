#include <QApplication>

#include <exception>
#include <memory>

#include "app/MainWindow.h"
#include "app/Ui.h"
#include "model/AppData.h"
#include "model/UiFont.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantoria"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.19"));

    // The data model is loaded before any window exists.
    AppData& data = TheAppData();

    int result = -1;
    std::unique_ptr<MainWindow> window;
    try {
        window = std::make_unique<MainWindow>(data);
    } catch (const std::exception&) {
        window.reset();
    }
    if (window) {
        result = Ui::Exec(*window);
        window.reset();
    }
    DestroyUiFont();
    DestroyAppData();  // writes cd.xml and data.xml
    return result;
}
