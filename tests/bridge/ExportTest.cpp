#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "bridge/BridgeCalls.h"
#include "support/TestFolder.h"

namespace {

using Fields = BridgeCalls::Fields;
const auto R = BridgeCalls::Row;

CelvexLibrary::ExportOutcome ExportRows(const QString& path, const QString& title,
                                        const std::vector<Fields>& rows) {
    return BridgeCalls::Library().Export(path, BridgeCalls::ExportTitles(), title,
                                         QStringLiteral("微软雅黑"), 11, rows);
}

std::vector<Fields> ReadBack(const QString& path, const Fields& titles) {
    const auto outcome =
        BridgeCalls::Library().Import(CelvexLibrary::ImportKind::Spreadsheet, path, titles);
    EXPECT_TRUE(outcome.success) << "error " << outcome.error;
    return outcome.rows;
}

// A null winner entry cannot come through the loader (it has no null rows), so the raw
// function is called: null entries are skipped without using up a row.
bool ExportRaw(const QString& path, const char* title, std::vector<FieldRow*> rows) {
    BridgeCalls calls;
    if (!calls.exportRows) return false;
    const QByteArray file = path.toUtf8();
    const char* titles[4] = {"奖项", "奖品", "中奖者", "中奖时间"};
    ExportRequest request{};
    request.rows = rows.data();
    request.count = static_cast<int32_t>(rows.size());
    request.title = title;
    request.fontName = "微软雅黑";
    request.fontSize = 11;
    calls.exportRows(file.constData(), titles, &request);
    return request.success && request.error == 0;
}

TEST(Export, RowsReadBackInLayoutOrder) {
    TestFolder folder;
    const QString path = folder.File(QStringLiteral("中奖名单.xlsx"));
    char prize1[] = "一等奖", content1[] = "笔记本", winner1[] = "张三",
         time1[] = "2024-01-01 10:00:00";
    char prize2[] = "二等奖", winner2[] = "007", phone[] = "13800138000";
    FieldRow first{{prize1, content1, winner1, time1}};
    FieldRow empty{{nullptr, nullptr, nullptr, nullptr}};
    FieldRow second{{prize2, nullptr, winner2, phone}};
    ASSERT_TRUE(ExportRaw(path, "2024年会中奖名单", {&first, nullptr, &empty, &second}));

    // Title in B2, header in row 3, winners from row 4; the null entry used up no row, the
    // all-null row is a row of empty cells, digits stayed text.
    const std::vector<Fields> expected = {
        R("2024年会中奖名单", "", "", ""),
        R("奖项", "奖品", "中奖者", "中奖时间"),
        R("一等奖", "笔记本", "张三", "2024-01-01 10:00:00"),
        R("", "", "", ""),
        R("二等奖", "", "007", "13800138000"),
    };
    EXPECT_EQ(BridgeCalls::Describe(ReadBack(path, BridgeCalls::ImportTitles())),
              BridgeCalls::Describe(expected));
}

TEST(Export, NoWinnersGivesTitleAndHeaderOnly) {
    TestFolder folder;
    const QString path = folder.File(QStringLiteral("empty.xlsx"));
    const auto outcome = ExportRows(path, QStringLiteral("年会"), {});
    ASSERT_TRUE(outcome.loaded);
    EXPECT_TRUE(outcome.success);
    EXPECT_EQ(
        BridgeCalls::Describe(ReadBack(path, BridgeCalls::ImportTitles())),
        BridgeCalls::Describe({R("年会", "", "", ""), R("奖项", "奖品", "中奖者", "中奖时间")}));

    // With an empty title the header is the first used row; read with the export titles it is
    // a title row and nothing follows it.
    const auto untitled = ExportRows(path, QString(), {});
    EXPECT_TRUE(untitled.success);
    EXPECT_TRUE(ReadBack(path, BridgeCalls::ExportTitles()).empty());
}

TEST(Export, WriteFailuresAreReportedAndLeaveNoFile) {
    TestFolder folder;
    const std::vector<Fields> rows = {R("一等奖", "笔记本", "张三", "2024-01-01 10:00:00")};

    const QString inMissingFolder = folder.File(QStringLiteral("no/such/folder/a.xlsx"));
    const auto missing = ExportRows(inMissingFolder, QStringLiteral("t"), rows);
    EXPECT_TRUE(missing.loaded);
    EXPECT_FALSE(missing.success);
    EXPECT_EQ(missing.error, CELVEX_FAILED);

    // The target is a folder: nothing can be written there and nothing is left behind.
    QDir(folder.Path()).mkdir(QStringLiteral("taken.xlsx"));
    const auto onFolder =
        ExportRows(folder.File(QStringLiteral("taken.xlsx")), QStringLiteral("t"), rows);
    EXPECT_FALSE(onFolder.success);
    EXPECT_EQ(onFolder.error, CELVEX_FAILED);
    EXPECT_EQ(QDir(folder.Path()).entryList(QDir::Files), QStringList());

    const auto noPath = ExportRows(QString(), QStringLiteral("t"), rows);
    EXPECT_FALSE(noPath.success);
    EXPECT_EQ(noPath.error, CELVEX_INVALID_ARGUMENT);
}

TEST(Export, ReplacesAnExistingFile) {
    TestFolder folder;
    const QString path = folder.File(QStringLiteral("list.xlsx"));
    folder.Write(QStringLiteral("list.xlsx"), "old contents");
    ASSERT_TRUE(ExportRows(path, QString(), {R("a", "b", "c", "d")}).success);
    const auto rows = ReadBack(path, BridgeCalls::ExportTitles());
    EXPECT_EQ(BridgeCalls::Describe(rows), BridgeCalls::Describe({R("a", "b", "c", "d")}));
}

// Another program reads the file the same way: LibreOffice turns it into CSV.
TEST(Export, LibreOfficeReadsTheWorkbook) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) GTEST_SKIP() << "soffice is not installed; LibreOffice check skipped";
    TestFolder folder;
    const QString path = folder.File(QStringLiteral("winners.xlsx"));
    ASSERT_TRUE(
        ExportRows(path, QStringLiteral("中奖名单"),
                   {R("一等奖", "笔记本", "张三", "2024-01-01 10:00:00"),
                    R(nullptr, nullptr, nullptr, nullptr), R("二等奖", "", "007", "13800138000")})
            .success);
    QProcess process;
    process.setWorkingDirectory(folder.Path());
    // A profile of its own, so the test neither needs nor touches a user's LibreOffice set-up.
    process.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + folder.Path() +
                                QStringLiteral("profile"),
                            QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                            QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"),
                            QStringLiteral("--outdir"), folder.Path(), path});
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString csv = QString::fromUtf8(folder.Read(QStringLiteral("winners.csv")));
    QStringList lines = csv.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : lines) line = line.trimmed();
    EXPECT_EQ(lines,
              QStringList({QStringLiteral(",,,,"), QStringLiteral(",中奖名单,,,"),
                           QStringLiteral(",奖项,奖品,中奖者,中奖时间"),
                           QStringLiteral(",一等奖,笔记本,张三,2024-01-01 10:00:00"),
                           QStringLiteral(",,,,"), QStringLiteral(",二等奖,,007,13800138000")}))
        << csv.toStdString();
}

}  // namespace
