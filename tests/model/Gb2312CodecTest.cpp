#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include <iconv.h>

#include "model/AppData.h"
#include "model/Gb2312Codec.h"
#include "support/TestFolder.h"

namespace {

// Whether the bytes are text in strict GB2312 (EUC-CN), as other XML tools read the files.
bool IsStrictGb2312(const QByteArray& bytes) {
    iconv_t cd = iconv_open("UTF-8", "GB2312");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    QByteArray out(bytes.size() * 2 + 16, '\0');
    char* src = const_cast<char*>(bytes.constData());
    size_t srcLeft = size_t(bytes.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1) && srcLeft == 0;
    iconv_close(cd);
    return ok;
}

}  // namespace

// The table of GB2312's characters against the C library's own GB2312 converter, pair by pair.
TEST(Gb2312Codec, KnowsExactlyTheCharactersOfGb2312) {
    // 丂 (81 40) is GBK's alone. The Windows iconv, over the system's code pages, has no strict
    // GB2312 to compare with: its GB2312 is GBK (code page 936).
    if (IsStrictGb2312(QByteArray("\x81\x40", 2)))
        GTEST_SKIP() << "this iconv's GB2312 is GBK: no strict table to compare with";
    int inTable = 0;
    int disagree = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead)
        for (int trail = 0x40; trail <= 0xFF; ++trail) {
            const bool mine = Gb2312Codec::IsGb2312(uint8_t(lead), uint8_t(trail));
            inTable += mine;
            const char pair[2] = {char(lead), char(trail)};
            if (mine != IsStrictGb2312(QByteArray(pair, 2))) ++disagree;
        }
    EXPECT_EQ(inTable, 7445);  // 682 symbols and 6,763 hanzi
    EXPECT_EQ(disagree, 0);
}

// Names with characters beyond GB2312 (喆 玥 赟 堃 镕 are GBK's; 𠀀 and 😀 beyond it) keep the
// files valid in the encoding they declare, and come back unchanged.
TEST(Gb2312Codec, FilesStayValidGb2312AndKeepEveryCharacter) {
    TestFolder dir;
    const QString names[] = {QStringLiteral("张喆"),   QStringLiteral("李玥"),
                             QStringLiteral("王赟"),   QStringLiteral("赵堃"),
                             QStringLiteral("朱镕基"), QStringLiteral("𠀀😀€·—")};
    {
        AppData data(dir.Path());
        for (int i = 0; i < int(std::size(names)); ++i)
            data.AddCandidate(QString::number(i), names[i], names[i], "", i);
        const int32_t prize = data.AddPrize(names[0], names[1], 1, 1, "", 0);
        data.AddWinner(std::make_unique<Winner>(Winner{prize, 0, names[2], "2026-12-24 20:00:00"}));
        data.SetTitle(names[5]);
        ASSERT_TRUE(data.Save(AppData::kSaveCandidates | AppData::kSaveData));
    }
    for (const char* file : {"cd.xml", "data.xml"}) {
        SCOPED_TRACE(file);
        const QByteArray bytes = dir.Read(file);
        EXPECT_TRUE(IsStrictGb2312(bytes));
        EXPECT_TRUE(bytes.contains("&#21894;"));  // 喆
        EXPECT_TRUE(bytes.contains(ToCharset(QStringLiteral("张"), "GB2312")));
        const QString xmllint = QStandardPaths::findExecutable("xmllint");
        if (xmllint.isEmpty()) continue;
        QProcess lint;
        lint.start(xmllint, {"--noout", dir.File(QString::fromLatin1(file))});
        ASSERT_TRUE(lint.waitForFinished(30000));
        EXPECT_EQ(lint.exitCode(), 0) << lint.readAllStandardError().toStdString();
    }
    AppData back(dir.Path());
    ASSERT_EQ(back.Candidates().size(), std::size(names));
    for (size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(back.Candidates()[i]->name, names[i]);
        EXPECT_EQ(back.Candidates()[i]->department, names[i]);
    }
    EXPECT_EQ(back.Title(), names[5]);
    EXPECT_EQ(back.Winners().begin()->second.front()->show, names[2]);
}

// Files older programs wrote hold GBK bytes under the GB2312 declaration: they still read.
TEST(Gb2312Codec, OlderFilesWithGbkBytesStillRead) {
    TestFolder dir;
    dir.WriteGbk("cd.xml",
                 QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<Vantoria>"
                                "<CandidateList><Candidate id=\"0\" NO=\"1\" name=\"张喆\" "
                                "department=\"研发部\" tel=\"\" index=\"0\"/></CandidateList>"
                                "</Vantoria>\n"));
    AppData data(dir.Path());
    data.SetReadOnly(true);
    ASSERT_EQ(data.Candidates().size(), 1u);
    EXPECT_EQ(data.Candidates()[0]->name, QStringLiteral("张喆"));
}
