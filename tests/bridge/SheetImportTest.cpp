#include <gtest/gtest.h>

#include <QFile>

#include "bridge/BridgeCalls.h"
#include "support/TestFolder.h"

namespace {

using Fields = BridgeCalls::Fields;
const auto R = BridgeCalls::Row;

QString Fixture(const char* name) {
    return QStringLiteral(VANTORIA_TEST_DATA "/import/") + QString::fromUtf8(name);
}

CelvexLibrary::ImportOutcome ImportSheet(const QString& path) {
    return BridgeCalls::Library().Import(CelvexLibrary::ImportKind::Spreadsheet, path,
                                         BridgeCalls::ImportTitles());
}

struct SheetCase {
    const char* file;
    std::vector<Fields> expected;
};

class SheetImportTest : public ::testing::TestWithParam<SheetCase> {};

TEST_P(SheetImportTest, FirstWorksheetBecomesRows) {
    const SheetCase& c = GetParam();
    const auto outcome = ImportSheet(Fixture(c.file));
    ASSERT_TRUE(outcome.loaded);
    EXPECT_TRUE(outcome.success) << c.file;
    EXPECT_EQ(outcome.error, 0) << c.file;
    EXPECT_EQ(BridgeCalls::Describe(outcome.rows), BridgeCalls::Describe(c.expected)) << c.file;
}

// The files come from openpyxl (inline strings, absolute targets), LibreOffice (shared strings,
// relative targets, and the legacy .xls copies read through freexl) and a hand-built package.
const std::vector<Fields> kTitlesInOrder = {
    R("A001", "张三", "销售部", "13800138000"),   // text trimmed, eleven digits kept
    R("4", "李四", "2024-03-05", "13912345678"),  // 3.6 rounds to 4; a date cell
    R("007", "王五", "", "139 0000 0000"),        // an empty cell inside the used range
};
const std::vector<Fields> kOffsetRange = {
    R("B001", "赵六", "财务部", "13700000000"),
    R("B002", "钱七", "", ""),
    R("", "", "", "13600000000"),
};
// REPT("研发",3000): 12,000 bytes of text, more than one record holds.
const std::string kLongDepartment = [] {
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "研发";
    return text;
}();
const std::vector<Fields> kLibreOffice = {
    R("A001", "张三", "销售部", "13800138000"),
    R("A002", "李 四", "技术部", "13912345678"),
    R("", "", "", ""),  // an empty row inside the used range is kept, not skipped
    R("A004", "孙八", "", "4"),
};

INSTANTIATE_TEST_SUITE_P(
    Files, SheetImportTest,
    ::testing::Values(
        SheetCase{"titles_in_order.xlsx", kTitlesInOrder},
        SheetCase{"titles_in_order.xls", kTitlesInOrder},
        SheetCase{"libreoffice_titles.xlsx", kLibreOffice},
        SheetCase{"libreoffice_titles.xls", kLibreOffice},
        // "姓 名" and "部门 " still match; "手机" first maps by title, not by position.
        SheetCase{"title_spaced.xlsx", {R(nullptr, "张三", "销售部", "13800138000")}},
        SheetCase{"title_only_mobile.xlsx",
                  {R(nullptr, nullptr, nullptr, "13800138000"),
                   R(nullptr, nullptr, nullptr, "13912345678")}},
        SheetCase{"no_title.xlsx",
                  {R("A001", "张三", "销售部", "13800138000"),
                   R("A002", "李四", "技术部", "13912345678")}},
        SheetCase{"offset_range.xlsx", kOffsetRange}, SheetCase{"offset_range.xls", kOffsetRange},
        // The single empty cell A1: one row, the other slots outside the range.
        SheetCase{"empty.xlsx", {R("", nullptr, nullptr, nullptr)}},
        SheetCase{"empty.xls", {R("", nullptr, nullptr, nullptr)}},
        // Booleans and error values (xlwt writes them as Excel does, in BOOLERR records) are
        // empty text; the numbers 1 and 0 beside them stay numbers.
        SheetCase{"booleans.xls",
                  {R("A001", "张三", "", ""), R("A002", "李四", "", ""), R("7", "王五", "1", "0")}},
        // Formula results LibreOffice stored in the legacy workbook: text (also from a shared
        // formula, and one that runs on into a CONTINUE record), numbers, and an empty text,
        // an error and a boolean that import empty.
        SheetCase{"formulas.xls",
                  {R("A1001", "张三", "研发部", "13800138002"), R("A1002", "李四", "", ""),
                   R("A1003", "王五", kLongDepartment.c_str(), ""),
                   R("1004", "赵六", "市场部", "13900000000")}},
        // First sheet in workbook order through an absolute target; rich-text runs without
        // their phonetic guide; cells without references; missing row 3 kept as an empty row;
        // a custom Chinese date format; booleans, errors and a time of day empty; "_x000D_"
        // and "_x005F_" escapes; an ISO date cell; a formula's cached text.
        SheetCase{"hand_built.xlsx",
                  {R("N1", "张三", "2024-03-05", "13800138000"), R("", "", "", ""),
                   R("", "", "", "公式"), R("第一行", "a_x0041_b", "2023-12-31", "")}}));

struct FailureCase {
    const char* name;
    QByteArray bytes;  // empty: use the named fixture
    const char* fixture;
};

TEST(SheetImportFailure, UnreadableFilesGiveMinusThree) {
    const QByteArray good = [] {
        QFile file(Fixture("libreoffice_titles.xlsx"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_FALSE(good.isEmpty());
    QByteArray flipped = good;
    for (qsizetype i = 200; i < flipped.size() - 200; i += 7) flipped[i] = char(flipped[i] ^ 0x5A);

    const std::vector<FailureCase> cases = {
        {"truncated workbook", good.left(good.size() / 2), nullptr},
        {"damaged workbook", flipped, nullptr},
        {"text file renamed", QByteArray("编号,姓名\n1,张三\n"), nullptr},
        {"zip that is no workbook", QByteArray(), "not_a_workbook.xlsx"},
        {"entry declared larger than the bound", QByteArray(), "bomb_declared.xlsx"},
        {"entry inflating past its declared size", QByteArray(), "bomb_lying.xlsx"},
        {"document type with an external entity", QByteArray(), "external_entity.xlsx"},
        {"entities expanding a billion times", QByteArray(), "entity_expansion.xlsx"},
        {"elements nested 100000 deep", QByteArray(), "deep_nesting.xlsx"},
        {"cell beyond the last column", QByteArray(), "beyond_last_column.xlsx"},
        // Found by fuzzing: a directory entry claiming a 28160-byte name made freexl read
        // far past the entry (AddressSanitizer stops the test if it gets that far).
        {"legacy directory entry with an overlong name", QByteArray(), "freexl_overread.xls"},
        // Also found by fuzzing: a stream entry claiming 4 GiB, which freexl allocated.
        {"legacy stream larger than its file", QByteArray(), "freexl_huge_stream.xls"},
        // And one that overruns freexl's record parser: contained in the reader's child
        // process (under AddressSanitizer the child reports it and fails).
        {"legacy record stream that overruns freexl", QByteArray(), "freexl_record_overread.xls"},
        {"legacy workbook that makes freexl free a wild pointer", QByteArray(),
         "freexl_bad_free.xls"},
        {"legacy header and nothing else",
         QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, '\0'), nullptr},
    };
    TestFolder folder;
    for (const FailureCase& c : cases) {
        QString path = c.fixture ? Fixture(c.fixture) : folder.File(QStringLiteral("bad.xlsx"));
        if (!c.fixture) folder.Write(QStringLiteral("bad.xlsx"), c.bytes);
        const auto outcome = ImportSheet(path);
        EXPECT_TRUE(outcome.loaded) << c.name;
        EXPECT_FALSE(outcome.success) << c.name;
        EXPECT_EQ(outcome.error, CELVEX_FAILED) << c.name;
        EXPECT_TRUE(outcome.rows.empty()) << c.name;
        // The preview's reading refuses it the same way.
        const auto table = BridgeCalls::Library().ImportTable(
            CelvexLibrary::ImportKind::Spreadsheet, path, BridgeCalls::ImportTitles());
        EXPECT_FALSE(table.success) << c.name;
        EXPECT_EQ(table.error, CELVEX_FAILED) << c.name;
        EXPECT_TRUE(table.rows.empty()) << c.name;
    }
    const auto missing = ImportSheet(folder.File(QStringLiteral("missing.xlsx")));
    EXPECT_EQ(missing.error, CELVEX_FAILED);
    const auto folderItself = ImportSheet(folder.Path());
    EXPECT_EQ(folderItself.error, CELVEX_FAILED);
}

}  // namespace
