#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>

#include "app/AppFolders.h"
#include "app/RescueOffer.h"
#include "model/AppData.h"
#include "model/RescueStore.h"
#include "support/FakeUi.h"
#include "support/TestFolder.h"

// What the program settles before it reads its files: where they live, and rescue copies of
// failed saves.

namespace {
void MakeOlder(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addSecs(-600), QFileDevice::FileModificationTime);
}
}  // namespace

TEST(StartUp, ARescueNewerThanItsFileIsOfferedAndTakenBackOnYes) {
    for (Ui::Answer answer : {Ui::Answer::No, Ui::Answer::Yes}) {
        TestFolder data;
        TestFolder rescues;
        data.Write("data.xml", "old");
        RescueStore store(rescues.Path());
        ASSERT_TRUE(store.Write(data.File("data.xml"), "first rescue", nullptr, nullptr));
        MakeOlder(data.File("data.xml"));
        FakeUi fake;
        fake.answers.push_back(answer);
        const int taken = RescueOffer::Offer(data.Path(), rescues.Path());
        ASSERT_EQ(fake.messages.size(), 1u);
        EXPECT_TRUE(fake.messages[0].text.contains(QStringLiteral("没有保存成功")));
        EXPECT_EQ(taken, answer == Ui::Answer::Yes ? 1 : 0);
        EXPECT_EQ(data.Read("data.xml"), answer == Ui::Answer::Yes ? "first rescue" : "old");
    }
}

TEST(StartUp, WhereTheFilesLive) {
    TestFolder program;
    TestFolder user;
    // A writable program folder keeps everything, as the portable program always did.
    AppFolders portable = AppFolders::Portable(program.Path(), user.Path());
    EXPECT_EQ(portable.data, program.Path());
    EXPECT_EQ(portable.share, program.Path());
    EXPECT_TRUE(portable.notices.isEmpty());
    // One that cannot be written (here a file stands where the folder should be) sends the
    // files to the per-user folder, and the operator is told once.
    program.Write("locked", "");
    AppFolders fallback = AppFolders::Portable(program.File("locked"), user.File("Vantoria"));
    EXPECT_EQ(fallback.data, user.File("Vantoria") + "/");
    EXPECT_TRUE(QDir(user.File("Vantoria")).exists());
    ASSERT_EQ(fallback.notices.size(), 1);
    // The installed program reads its media from the share folder and says when that is gone.
    AppFolders installed =
        AppFolders::Installed(program.File("missing-share"), "/usr/lib/vantoria", user.Path());
    EXPECT_EQ(installed.data, user.Path());
    EXPECT_EQ(installed.share, program.File("missing-share") + "/");
    ASSERT_EQ(installed.notices.size(), 1);
    EXPECT_TRUE(installed.notices[0].contains(QStringLiteral("找不到")));
    // The model reads from one and writes to the other.
    AppData data(installed.share, installed.data);
    data.SetTitle("x");
    ASSERT_TRUE(data.Save(AppData::kSaveData));
    EXPECT_TRUE(QFile::exists(user.File("data.xml")));
}
