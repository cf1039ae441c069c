#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <memory>
#include <vector>

#include "model/AppData.h"
#include "model/AtomicFileWriter.h"
#include "model/RescueStore.h"
#include "support/TestFolder.h"

namespace {

// A folder with a saved event, a rescue folder of its own, and every report kept.
class SavingEvent {
  public:
    SavingEvent() {
        {
            AppData data(dir.Path());
            data.SetTitle("before");
            data.AddCandidate("1", "张三", "", "", 0);
        }
        data = std::make_unique<AppData>(dir.Path());
        data->SetRescueFolder(rescues.Path());
        data->SetSaveReporter([this](const SaveProblem& p) { problems.push_back(p); },
                              [this] { ++recoveries; });
    }
    ~SavingEvent() {
        AtomicFileWriter::ClearInjectedFailures();
        data->SetReadOnly(true);  // the test decides what reaches the files
    }
    QStringList RescueFiles() const {
        return QDir(rescues.Path()).entryList({"*-rescue-*.xml"}, QDir::Files);
    }

    TestFolder dir;
    TestFolder rescues;
    std::unique_ptr<AppData> data;
    std::vector<SaveProblem> problems;
    int recoveries = 0;
};

}  // namespace

// Whichever step of a save fails, the old file stays whole, nothing temporary is left, the
// operator hears of it and the new content is in the rescue copy.
TEST(SaveFailure, EveryStepOfTheWriterFailingInTurn) {
    using Step = AtomicFileWriter::Step;
    for (Step step : {Step::Open, Step::Write, Step::Flush, Step::Sync, Step::Rename}) {
        SCOPED_TRACE(static_cast<int>(step));
        SavingEvent e;
        const QByteArray before = e.dir.Read("data.xml");
        e.data->SetTitle("after");
        AtomicFileWriter::InjectFailure(step, "/data.xml");
        EXPECT_FALSE(e.data->Save(AppData::kSaveData));
        EXPECT_EQ(e.dir.Read("data.xml"), before);
        EXPECT_FALSE(QFile::exists(AtomicFileWriter::TemporaryPath(e.data->DataFilePath())));
        ASSERT_EQ(e.problems.size(), 1u);
        EXPECT_EQ(e.problems[0].file, e.data->DataFilePath());
        EXPECT_FALSE(e.problems[0].reason.isEmpty());
        ASSERT_TRUE(QFile::exists(e.problems[0].rescue));
        EXPECT_TRUE(e.data->SavesFailing());

        // The rescue is a complete data file with the new content.
        AppData rescued{QString(), QString()};
        EXPECT_TRUE(rescued.LoadDataFile(e.problems[0].rescue, false));
        EXPECT_EQ(rescued.Title(), "after");

        // A later failure of the run updates the same copy; a success ends the warning.
        e.data->SetTitle("later");
        EXPECT_FALSE(e.data->Save(AppData::kSaveData));
        EXPECT_EQ(e.RescueFiles().size(), 1);
        AtomicFileWriter::ClearInjectedFailures();
        EXPECT_TRUE(e.data->Save(AppData::kSaveData));
        EXPECT_EQ(e.recoveries, 1);
        EXPECT_FALSE(e.data->SavesFailing());
    }
}

TEST(SaveFailure, TheCandidateFileIsRescuedToo) {
    SavingEvent e;
    e.data->AddCandidate("2", "李四", "", "", 1);
    AtomicFileWriter::InjectFailure(AtomicFileWriter::Step::Rename, "/cd.xml");
    EXPECT_FALSE(e.data->Save(AppData::kSaveCandidates | AppData::kSaveData));
    ASSERT_EQ(e.problems.size(), 1u);
    EXPECT_TRUE(QFileInfo(e.problems[0].rescue).fileName().startsWith("cd-rescue-"));
    AppData rescued{QString(), QString()};
    EXPECT_TRUE(rescued.LoadCandidateFile(e.problems[0].rescue));
    EXPECT_EQ(rescued.Candidates().size(), 2u);
}

// A damaged file is only replaced once its copy is safely on disk.
TEST(SaveFailure, NoCopyOfTheDamagedFileMeansItIsNotReplaced) {
    TestFolder dir;
    TestFolder rescues;
    const QByteArray damaged = "<?xml version=\"1.0\" encoding=\"GB2312\"?><Vantoria><Setting>";
    dir.Write("data.xml", damaged);
    AppData data(dir.Path());
    data.SetRescueFolder(rescues.Path());
    AtomicFileWriter::InjectFailure(AtomicFileWriter::Step::Write, ".damaged-");
    EXPECT_FALSE(data.Save(AppData::kSaveData));
    EXPECT_EQ(dir.Read("data.xml"), damaged);
    EXPECT_EQ(QDir(rescues.Path()).entryList({"data-rescue-*.xml"}, QDir::Files).size(), 1);
    AtomicFileWriter::ClearInjectedFailures();
    EXPECT_TRUE(data.Save(AppData::kSaveData));
    const QStringList copies = QDir(dir.Path()).entryList({"data.damaged-*"}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(dir.Read(copies[0]), damaged);
}

TEST(SaveFailure, ALeftoverOfAKilledSaveIsRemovedAtStart) {
    TestFolder dir;
    dir.Write("data.xml.saving", "<half");
    dir.Write("cd.xml.saving", "");
    AppData data(dir.Path());
    EXPECT_FALSE(QFile::exists(dir.File("data.xml.saving")));
    EXPECT_FALSE(QFile::exists(dir.File("cd.xml.saving")));
}

TEST(RescueStore, OffersOnlyRescuesNewerThanTheirFileInThatFolder) {
    TestFolder here;
    TestFolder elsewhere;
    TestFolder folder;
    RescueStore store(folder.Path());
    here.Write("data.xml", "old");
    QString path;
    ASSERT_TRUE(store.Write(here.File("data.xml"), "new", &path, nullptr));
    ASSERT_TRUE(store.Write(elsewhere.File("cd.xml"), "x", nullptr, nullptr));
    // Make the file clearly older than its rescue.
    QFile old(here.File("data.xml"));
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    old.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
    old.close();

    auto found = store.NewerThanOriginals(here.Path());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, path);
    EXPECT_EQ(QFileInfo(found[0].original).fileName(), "data.xml");

    // Once the file is saved again it is newer, and nothing is offered.
    here.Write("data.xml", "saved again");
    QFile fresh(here.File("data.xml"));
    ASSERT_TRUE(fresh.open(QIODevice::ReadWrite));
    fresh.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    fresh.close();
    EXPECT_TRUE(store.NewerThanOriginals(here.Path()).empty());
}
