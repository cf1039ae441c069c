#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <memory>

#include "draw/DrawEngine.h"
#include "draw/ShowHost.h"
#include "model/AppData.h"
#include "support/TestFolder.h"

// The commands the program answers without a window, run as a user would run them.

namespace {

const QString kProgram = QStringLiteral(VANTORIA_BUILD_DIR "/vantoria");

struct ProgramRun {
    int exitCode = -1;
    QString out;
};

ProgramRun Vantoria(const QStringList& arguments) {
    QProcess p;
    p.start(kProgram, arguments);
    if (!p.waitForFinished(60000)) return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput())};
}

class Host : public ShowHost {
  public:
    DrawEngine* engine = nullptr;
    bool AskToContinue(const Shortage&) override { return true; }
    void RunShow() override {
        while (engine->Round()->state != RoundState::kFinished) engine->AdvanceStep();
    }
};

}  // namespace

TEST(CommandLine, VerifyTellsPassedTamperedAndUnreadableApartByExitCode) {
    TestFolder dir;
    {
        QDir(dir.Path()).mkpath("music");
        dir.Write("music/default.mp3", "ID3");
        AppData data(dir.Path());
        for (int i = 0; i < 20; ++i) data.AddCandidate(QString::number(i), "", "", "", i);
        data.AddPrize(QStringLiteral("一等奖"), "", 5, 2, "", 0);
        DrawEngine engine(data);
        Host host;
        host.engine = &engine;
        ASSERT_TRUE(engine.StartDraw(host));
    }
    ProgramRun run = Vantoria({"--verify", dir.Path()});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("第 1 场"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("全部通过")));

    QByteArray record = dir.Read("draw-record.jsonl");
    const qsizetype at = record.indexOf("\"rolls\":1");
    ASSERT_GE(at, 0);
    record.replace(at, 9, "\"rolls\":2");
    dir.Write("draw-record.jsonl", record);
    run = Vantoria({"--verify", dir.Path()});
    EXPECT_EQ(run.exitCode, 1) << run.out.toStdString();

    TestFolder empty;
    EXPECT_EQ(Vantoria({"--verify", empty.Path()}).exitCode, 2);
}

TEST(CommandLine, HelpTellsTheOptionsAndOpensNoWindow) {
    for (const char* option : {"--help", "-h"}) {
        const ProgramRun run = Vantoria({QString::fromLatin1(option)});
        EXPECT_EQ(run.exitCode, 0) << option;
        for (const char* word : {"--verify", "--data-folder", "--help"})
            EXPECT_TRUE(run.out.contains(QString::fromLatin1(word))) << option << " " << word;
    }
}

TEST(CommandLine, DataFolderNamesWhereTheFilesAreKept) {
    const ProgramRun run = Vantoria({"--data-folder"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.trimmed().endsWith(QDir::separator())) << run.out.toStdString();
    EXPECT_TRUE(QDir(run.out.trimmed()).exists()) << run.out.toStdString();
}
