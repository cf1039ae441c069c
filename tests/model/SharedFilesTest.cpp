#include <gtest/gtest.h>

#include <QFile>

#include <memory>

#include "model/AppData.h"
#include "support/TestFolder.h"

// A data folder moves between Linux and Windows (a portable copy on a stick, an auditor's
// copy): both systems must read each other's cd.xml and data.xml and write them byte for byte
// alike. The Windows build converts through the code pages of Windows, Linux through glibc.

namespace {

QByteArray Fixture(const QString& name) {
    QFile file(QStringLiteral(VANTORIA_TEST_DATA "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The bytes must be those of tests/data/shared/NAME. After a change to the file format the
// Linux program rewrites them (VANTORIA_WRITE_SHARED_FILES=1 test_model
// --gtest_filter='SharedFiles.*'), and the Windows program must then write them too.
void ExpectSharedFile(const QByteArray& written, const QString& name) {
    const QString fixture = QStringLiteral("shared/") + name;
    if (qEnvironmentVariableIsSet("VANTORIA_WRITE_SHARED_FILES")) {
        QFile file(QStringLiteral(VANTORIA_TEST_DATA "/") + fixture);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(written) == written.size());
        return;
    }
    const QByteArray expected = Fixture(fixture);
    ASSERT_FALSE(expected.isEmpty()) << name.toStdString();
    EXPECT_EQ(written, expected) << name.toStdString()
                                 << ": written otherwise than tests/data/shared holds; after a "
                                    "change to the format, rewrite it on Linux "
                                    "(VANTORIA_WRITE_SHARED_FILES=1)";
}

}  // namespace

// The evening an earlier Linux program recorded (tests/data/record/evening), read and saved
// again, comes out as the Linux program of today writes it: cd.xml as it was, data.xml with the
// settings added since (tests/data/shared/evening-data.xml).
TEST(SharedFiles, AnEveningWrittenOnLinuxIsWrittenBackByteForByte) {
    TestFolder dir;
    for (const char* name : {"cd.xml", "data.xml"}) {
        const QByteArray bytes = Fixture(QStringLiteral("record/evening/") + name);
        ASSERT_FALSE(bytes.isEmpty()) << name;
        dir.Write(QString::fromLatin1(name), bytes);
    }
    {
        AppData data(dir.Path());
        ASSERT_EQ(data.Candidates().size(), 40u);
        ASSERT_TRUE(data.Save(AppData::kSaveCandidates | AppData::kSaveData));
    }
    EXPECT_EQ(dir.Read(QStringLiteral("cd.xml")), Fixture(QStringLiteral("record/evening/cd.xml")));
    ExpectSharedFile(dir.Read(QStringLiteral("data.xml")), QStringLiteral("evening-data.xml"));
}

// Names in GB2312, in GBK only (喆 玥 堃) and beyond GBK (𠀀 😀, written as references) give the
// very bytes Linux wrote into tests/data/shared/, and read back from them.
TEST(SharedFiles, NamesBeyondGb2312AreWrittenAsLinuxWritesThem) {
    const QString names[] = {QStringLiteral("张喆"), QStringLiteral("李玥"), QStringLiteral("赵堃"),
                             QStringLiteral("𠀀😀"), QStringLiteral("Zoë €5·—")};
    TestFolder dir;
    {
        AppData data(dir.Path());
        for (int i = 0; i < int(std::size(names)); ++i)
            data.AddCandidate(QString::number(i + 1), names[i], names[(i + 1) % 5], "", i);
        const int32_t prize = data.AddPrize(QStringLiteral("特等奖"), names[3], 1, 1, "", 0);
        data.AddWinner(std::make_unique<Winner>(Winner{prize, 1, names[1], "2026-12-24 20:00:00"}));
        data.SetTitle(names[4]);
        ASSERT_TRUE(data.Save(AppData::kSaveCandidates | AppData::kSaveData));
    }
    for (const char* name : {"cd.xml", "data.xml"})
        ExpectSharedFile(dir.Read(QString::fromLatin1(name)), QString::fromLatin1(name));

    TestFolder copy;
    for (const char* name : {"cd.xml", "data.xml"})
        copy.Write(QString::fromLatin1(name), Fixture(QStringLiteral("shared/") + name));
    AppData back(copy.Path());
    back.SetReadOnly(true);
    ASSERT_EQ(back.Candidates().size(), std::size(names));
    for (size_t i = 0; i < std::size(names); ++i) EXPECT_EQ(back.Candidates()[i]->name, names[i]);
    EXPECT_EQ(back.Title(), names[4]);
    ASSERT_EQ(back.Winners().size(), 1u);
    EXPECT_EQ(back.Winners().begin()->second.front()->show, names[1]);
}
