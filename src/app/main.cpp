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

// vantoria --help: what the command line takes.
int RunHelp(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    NameApplication();
    Console::Attach();
    Console::Write(QStringLiteral(
        "用法：vantoria [选项]\n"
        "Vantoria 年会抽奖。不带选项时打开设置窗口。\n"
        "\n"
        "  --verify [文件夹]   核验文件夹中的抽奖记录（draw-record.jsonl 和 data.xml），\n"
        "                      默认是程序的数据文件夹。全部通过时退出码为 0，\n"
        "                      有不符之处为 1，文件无法读取为 2。\n"
        "  --data-folder       显示程序保存 cd.xml、data.xml 和抽奖记录的文件夹。\n"
        "  -h, --help          显示本说明。\n"
        "\n"
        "Usage: vantoria [--verify [FOLDER] | --data-folder | --help]\n"));
    return 0;
}

// vantoria --data-folder: where the operator's files are kept.
int RunDataFolder(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    NameApplication();
    Console::Attach();
    Console::Write(QDir::toNativeSeparators(AppFolders::Resolve().data) + QLatin1Char('\n'));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--verify") == 0) return RunVerify(argc, argv, i);
        if (std::strcmp(argv[i], "--data-folder") == 0) return RunDataFolder(argc, argv);
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return RunHelp(argc, argv);
    }
    // The file dialogs show dates and sizes in the system locale; the program speaks Chinese
    // whatever the desktop's language, so they do too.
    NativeLook::PrepareLocale();

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
