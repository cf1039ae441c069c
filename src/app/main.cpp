#include <QApplication>
#include <QCoreApplication>
#include <QDir>

#include <cstring>
#include <exception>
#include <memory>

#include "app/AppFolders.h"
#include "app/Console.h"
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
    Console::Attach();
    // The wide command line on Windows: a folder name outside the ANSI code page survives.
    const QStringList arguments = QCoreApplication::arguments();
    const QString folder =
        at + 1 < arguments.size() ? arguments[at + 1] : AppFolders::Resolve().data;
    const DrawVerifier::Report report = DrawVerifier::Verify(folder);
    QString text;
    for (const QString& line : report.lines) text += line + QLatin1Char('\n');
    Console::Write(text);
    return report.outcome;
}

// vantoria --data-folder: where the operator's files are kept.
int RunDataFolder(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    NameApplication();
    Console::Attach();
    Console::Write(QDir::toNativeSeparators(AppFolders::Resolve().data) + QLatin1Char('\n'));
    return 0;
}

int RunHelp() {
    Console::Attach();
    Console::Write(
        QStringLiteral("Vantoria " VANTORIA_VERSION " 年会抽奖\n"
                       "用法：vantoria [选项]\n"
                       "  （无选项）             打开设置窗口\n"
                       "  --verify [文件夹]      检查文件夹（默认为数据文件夹）中的抽奖记录：\n"
                       "                         全部通过返回 0，有不符返回 1，无法读取返回 2\n"
                       "  --data-folder          显示保存抽奖名单、奖项和中奖名单的文件夹\n"
                       "  --help                 显示本说明\n"));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--verify") == 0) return RunVerify(argc, argv, i);
        if (std::strcmp(argv[i], "--data-folder") == 0) return RunDataFolder(argc, argv);
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return RunHelp();
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
    // Windows ends the session right after telling it: the files are written there and then.
    QObject::connect(&terminations, &TerminationSignals::EndingNow, [&window, &data] {
        Ui::BeginShutdown();
        TerminationSignals::CloseAllDialogs(window.get());
        data.Save(AppData::kSaveCandidates | AppData::kSaveData);
        // The process may be ended at any moment now: nothing is begun that it could cut off.
        data.SetReadOnly(true);
    });

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
