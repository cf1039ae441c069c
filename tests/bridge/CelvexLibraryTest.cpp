#include <gtest/gtest.h>

#include <QApplication>

#include "bridge/BridgeCalls.h"
#include "support/TestFolder.h"

namespace {

TEST(CelvexLibrary, MissingLibraryDoesNothingVisible) {
    TestFolder folder;  // a program folder without the library
    CelvexLibrary library(folder.Path());
    folder.Write(QStringLiteral("list.txt"), "1,张三\n");
    const auto imported =
        library.Import(CelvexLibrary::ImportKind::Text, folder.File(QStringLiteral("list.txt")),
                       BridgeCalls::ImportTitles());
    EXPECT_FALSE(imported.loaded);
    EXPECT_TRUE(imported.rows.empty());
    const auto exported =
        library.Export(folder.File(QStringLiteral("a.xlsx")), BridgeCalls::ExportTitles(),
                       QStringLiteral("t"), QStringLiteral("微软雅黑"), 11, {});
    EXPECT_FALSE(exported.loaded);
    EXPECT_FALSE(QFile::exists(folder.File(QStringLiteral("a.xlsx"))));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(CelvexLibrary, WaitCursorIsRestoredOnEveryPath) {
    TestFolder folder;
    const CelvexLibrary library = BridgeCalls::Library();
    library.Import(CelvexLibrary::ImportKind::Spreadsheet, folder.File(QStringLiteral("none.xlsx")),
                   BridgeCalls::ImportTitles());
    library.Import(CelvexLibrary::ImportKind::Text, QString(), BridgeCalls::ImportTitles());
    library.Export(QString(), BridgeCalls::ExportTitles(), {}, {}, 11, {});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(CelvexLibrary, NullAndEmptySlotsStayApart) {
    TestFolder folder;
    folder.Write(QStringLiteral("list.txt"), "a,,b\n");
    const auto outcome = BridgeCalls::Library().Import(CelvexLibrary::ImportKind::Text,
                                                       folder.File(QStringLiteral("list.txt")),
                                                       BridgeCalls::ImportTitles());
    ASSERT_EQ(outcome.rows.size(), 1u);
    EXPECT_FALSE(outcome.rows[0][1].isNull());
    EXPECT_TRUE(outcome.rows[0][1].isEmpty());
    EXPECT_TRUE(outcome.rows[0][3].isNull());
}

TEST(CelvexLibrary, EmptyPathIsAnInvalidArgument) {
    for (auto kind : {CelvexLibrary::ImportKind::Text, CelvexLibrary::ImportKind::Spreadsheet}) {
        const auto outcome =
            BridgeCalls::Library().Import(kind, QString(), BridgeCalls::ImportTitles());
        EXPECT_TRUE(outcome.loaded);
        EXPECT_FALSE(outcome.success);
        EXPECT_EQ(outcome.error, CELVEX_INVALID_ARGUMENT);
    }
}

// The argument rules of the C functions themselves.
TEST(CelvexFunctions, NullRecordAndNullPath) {
    BridgeCalls calls;
    ASSERT_TRUE(calls.import && calls.importTxt && calls.exportRows && calls.freeResult);
    const char* titles[4] = {"编号", "姓名", "部门", "手机"};
    calls.import("x", titles, nullptr);
    calls.importTxt("x", titles, nullptr);
    calls.exportRows("x", titles, nullptr);
    calls.freeResult(nullptr);

    for (ImportFunction f : {calls.import, calls.importTxt}) {
        ImportResult result{};
        f(nullptr, titles, &result);
        EXPECT_EQ(result.error, CELVEX_INVALID_ARGUMENT);
        EXPECT_EQ(result.success, 0);
        EXPECT_EQ(result.count, 0);
        calls.freeResult(&result);  // count 0 and no rows: nothing to free
    }
    ASSERT_TRUE(calls.importTable && calls.importTxtTable && calls.freeTable);
    calls.importTable("x", titles, nullptr);
    calls.importTxtTable("x", titles, nullptr);
    calls.freeTable(nullptr);
    for (ImportTableFunction f : {calls.importTable, calls.importTxtTable}) {
        TableResult result{};
        f(nullptr, titles, &result);
        EXPECT_EQ(result.error, CELVEX_INVALID_ARGUMENT);
        EXPECT_EQ(result.success, 0);
        EXPECT_EQ(result.rows, nullptr);
        calls.freeTable(&result);
    }
    ExportRequest request{};
    request.success = 1;  // left as the caller set it
    calls.exportRows(nullptr, titles, &request);
    EXPECT_EQ(request.error, CELVEX_INVALID_ARGUMENT);
    EXPECT_EQ(request.success, 1);
}

// Without titles the usual column names still find the header.
TEST(CelvexFunctions, NullTitlesLeaveTheUsualNames) {
    BridgeCalls calls;
    ASSERT_TRUE(calls.importTxt);
    TestFolder folder;
    folder.Write(QStringLiteral("list.txt"), "编号,姓名\n1,2\n");
    const QByteArray path = folder.File(QStringLiteral("list.txt")).toUtf8();
    const char* titles[4] = {nullptr, nullptr, nullptr, nullptr};
    for (const char* const* t :
         {static_cast<const char* const*>(titles), static_cast<const char* const*>(nullptr)}) {
        ImportResult result{};
        calls.importTxt(path.constData(), t, &result);
        EXPECT_TRUE(result.success);
        ASSERT_EQ(result.count, 1);
        EXPECT_STREQ(result.rows[0]->fields[1], "2");
        calls.freeResult(&result);
    }
}

}  // namespace
