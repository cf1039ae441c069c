#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

#include <cstring>
#include <exception>
#include <memory>

#include "app/AppFolders.h"
#include "app/MainWindow.h"
#include "app/NativeLook.h"
#include "app/RescueOffer.h"
#include "app/TerminationSignals.h"
#include "draw/DrawVerifier.h"
#include "model/AppData.h"
#include "model/RescueStore.h"
#include "ui/Ui.h"
#include "ui/UiFont.h"

namespace {

void NameApplication() {
    // No organisation: the per-user data folder is ".../Vantoria" itself.
    QCoreApplication::setApplicationName(QStringLiteral("Vantoria"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTORIA_VERSION));
}

// vantoria --verify [FOLDER]: checks the draw record without a window.
int RunVerify(int argc, char** argv, int at) {
    QCoreApplication app(argc, argv);
    NameApplication();
    const QString folder =
        at + 1 < argc ? QString::fromLocal8Bit(argv[at + 1]) : AppFolders::Resolve().data;
    const DrawVerifier::Report report = DrawVerifier::Verify(folder);
    QTextStream out(stdout);
    for (const QString& line : report.lines) out << line << '\n';
    return report.outcome;
}

// vantoria --data-folder: where the operator's files are kept.
int RunDataFolder(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    NameApplication();
    QTextStream(stdout) << AppFolders::Resolve().data << '\n';
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--verify") == 0) return RunVerify(argc, argv, i);
        if (std::strcmp(argv[i], "--data-folder") == 0) return RunDataFolder(argc, argv);
    }

    QApplication app(argc, argv);
    NameApplication();

    // A logout, a shutdown or Ctrl+C ends the program like its close box.
    std::unique_ptr<MainWindow> window;
    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::Received, [&window] {
        Ui::BeginShutdown();
        TerminationSignals::CloseAllDialogs(window.get());
    });

    QStringList notices = NativeLook::Apply(app);
    const AppFolders folders = AppFolders::Resolve();
    notices += folders.notices;
    // Whatever is missing is told once, together; the program goes on with what it has.
    if (!notices.isEmpty()) Ui::Tell(nullptr, notices.join(QLatin1Char('\n')), Ui::Icon::Warning);
    RescueOffer::Offer(folders.data, RescueStore::UserFolder());
    // The data model is loaded before any window exists.
    AppData& data = CreateAppData(folders.share, folders.data);

    int result = -1;
    try {
        window = std::make_unique<MainWindow>(data);
        window->SetBridgeFolder(folders.library);
    } catch (const std::exception&) {
        window.reset();
    }
    if (window) {
        result = Ui::Exec(*window);
        window.reset();
    }
    // The last saves are still told when they fail.
    data.SetSaveReporter(
        [](const SaveProblem& problem) {
            Ui::Tell(nullptr, MainWindow::SaveProblemText(problem), Ui::Icon::Warning);
        },
        nullptr);
    DestroyUiFont();
    DestroyAppData();  // writes cd.xml and data.xml
    return result;
}
