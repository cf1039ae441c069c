#include <gtest/gtest.h>

#include <QFile>

#include <functional>

#include "model/AppData.h"
#include "model/CheckInLog.h"
#include "support/TestFolder.h"

// The check-in setting in data.xml, and the append-only file of who checked in.

TEST(CheckInSetting, StoredValuesComeBackAndDamagedOnesFallBack) {
    TestFolder dir;
    {
        AppData data(dir.Path());
        EXPECT_FALSE(data.CheckIn().enabled);  // never on unasked
        data.CheckIn() =
            CheckInSettings{true, "192.168.1.20", 9000, 1, false, "abcdefghijklmnop_-AB"};
        ASSERT_TRUE(data.Save(AppData::kSaveData));
    }
    {
        AppData data(dir.Path());
        const CheckInSettings& c = data.CheckIn();
        EXPECT_TRUE(c.enabled);
        EXPECT_EQ(c.address, "192.168.1.20");
        EXPECT_EQ(c.port, 9000);
        EXPECT_EQ(c.method, 1);
        EXPECT_FALSE(c.presentOnly);
        EXPECT_EQ(c.token, "abcdefghijklmnop_-AB");
    }
    struct Case {
        const char* element;
        std::function<void(const CheckInSettings&)> check;
    };
    const Case cases[] = {
        {"<Port>0</Port>", [](const CheckInSettings& c) { EXPECT_EQ(c.port, 8765); }},
        {"<Port>70000</Port>", [](const CheckInSettings& c) { EXPECT_EQ(c.port, 8765); }},
        {"<Method>7</Method>", [](const CheckInSettings& c) { EXPECT_EQ(c.method, 0); }},
        {"<Token>short</Token>", [](const CheckInSettings& c) { EXPECT_TRUE(c.token.isEmpty()); }},
        {"<Token>&lt;script&gt;aaaaaaaaaaaaaaaa</Token>",
         [](const CheckInSettings& c) { EXPECT_TRUE(c.token.isEmpty()); }},
        {"<Enabled>1</Enabled>",
         [](const CheckInSettings& c) {
             EXPECT_TRUE(c.enabled);
             EXPECT_TRUE(c.presentOnly);  // the default of a file without it
             EXPECT_EQ(c.port, 8765);
         }},
    };
    for (const Case& k : cases) {
        TestFolder f;
        f.Write("data.xml",
                QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Vantoria><Setting>"
                           "<CheckIn>") +
                    k.element + "</CheckIn></Setting></Vantoria>");
        AppData data(f.Path());
        SCOPED_TRACE(k.element);
        k.check(data.CheckIn());
    }
}

TEST(CheckInLog, CheckInsUndoAndClearSurviveReopening) {
    TestFolder dir;
    const QString path = dir.Path() + "/checkin.jsonl";
    {
        CheckInLog log(path);
        EXPECT_EQ(log.Add(7, "张三", CheckInLog::Source::Phone), CheckInLog::Result::Added);
        EXPECT_EQ(log.Add(7, "张三", CheckInLog::Source::Phone), CheckInLog::Result::Already);
        EXPECT_EQ(log.Add(8, "李四", CheckInLog::Source::Hand), CheckInLog::Result::Added);
        EXPECT_EQ(log.Add(9, "王五", CheckInLog::Source::Phone), CheckInLog::Result::Added);
        EXPECT_TRUE(log.Remove(8));
        EXPECT_FALSE(log.Remove(8));
        EXPECT_GT(log.TimeOf(7), 0);
    }
    {
        CheckInLog log(path);
        EXPECT_EQ(log.Count(), 2u);
        EXPECT_TRUE(log.Contains(7));
        EXPECT_FALSE(log.Contains(8));
        EXPECT_TRUE(log.Contains(9));
    }
    {
        CheckInLog log(path);
        EXPECT_TRUE(log.Clear());
    }
    CheckInLog log(path);
    EXPECT_EQ(log.Count(), 0u);
}

TEST(CheckInLog, AFileThatCannotBeWrittenNeverCountsACheckIn) {
    TestFolder dir;
    CheckInLog log(dir.Path() + "/no-such-folder/checkin.jsonl");
    EXPECT_EQ(log.Add(1, "张三", CheckInLog::Source::Phone), CheckInLog::Result::Failed);
    EXPECT_FALSE(log.Contains(1));
    EXPECT_FALSE(log.LastError().isEmpty());
    // A read-only model keeps check-ins in memory alone.
    AppData readOnly{QString(), QString()};
    EXPECT_EQ(readOnly.CheckIns().Add(1, "张三", CheckInLog::Source::Hand),
              CheckInLog::Result::Added);
}
