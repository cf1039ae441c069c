#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "bridge/BridgeCalls.h"
#include "celvex.h"
#include "model/AppData.h"
#include "setup/ImportPreview.h"
#include "support/TestFolder.h"

namespace {

using Fields = BridgeCalls::Fields;
using Kind = CelvexLibrary::ImportKind;
const auto R = BridgeCalls::Row;

QString Fixture(const QString& name) {
    return QStringLiteral(VANTORIA_TEST_DATA "/import/") + name;
}

Kind KindOf(const QString& name) {
    const QString suffix = QFileInfo(name).suffix();
    return suffix == u"xls" || suffix == u"xlsx" ? Kind::Spreadsheet : Kind::Text;
}

// The lists of make_fixtures.py, each made by the program people use to write them.
struct FixtureCase {
    const char* file;
    std::vector<Fields> expected;
};

// The banner workbook: 序号, 工号, 员工姓名, 手机号码, 所属部门, 备注 under a banner and a note.
const std::vector<Fields> kBannerList = {
    R("E001", "张三", "研发部,一组", "13800138000"),
    R("E002", "李\"四\"", "市场部", "13912345678"),
    R("E003", "王五", "财务部", ""),
};

class FixtureImportTest : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(FixtureImportTest, RightRowsInTheRightColumns) {
    const FixtureCase& c = GetParam();
    const QString name = QString::fromUtf8(c.file);
    const auto outcome =
        BridgeCalls::Library().Import(KindOf(name), Fixture(name), BridgeCalls::ImportTitles());
    ASSERT_TRUE(outcome.success) << c.file;
    EXPECT_EQ(BridgeCalls::Describe(outcome.rows), BridgeCalls::Describe(c.expected)) << c.file;
}

INSTANTIATE_TEST_SUITE_P(
    Files, FixtureImportTest,
    ::testing::Values(
        // openpyxl, merged banner and note rows; the same through LibreOffice's .xls.
        FixtureCase{"banner_note_header.xlsx", kBannerList},
        FixtureCase{"banner_note_header.xls", kBannerList},
        // LibreOffice's CSV (quotes, doubled quotes, a line break in a field), its
        // tab-separated export, and that again as UTF-16 through iconv.
        FixtureCase{"quoted.csv", kBannerList}, FixtureCase{"tabs.tsv", kBannerList},
        FixtureCase{"utf16_tabs.txt", kBannerList},
        // English names in another order, beside a column nobody maps.
        FixtureCase{"english_headers.xlsx",
                    {R("E001", "Zhang San", "R&D", "13800138000"),
                     R("E002", "Li Si", "Sales", "139-1234-5678")}},
        // Full-width commas, GBK through iconv.
        FixtureCase{"fullwidth_gbk.txt",
                    {R("E001", "张三", "研发部", "13800138000"),
                     R("E002", "李四", "市场部", "13912345678")}}));

TEST(FixtureImport, StrayByteLeavesAUtf8ListReadable) {
    const auto table = BridgeCalls::Library().ImportTable(
        Kind::Text, Fixture(QStringLiteral("stray_byte.csv")), BridgeCalls::ImportTitles());
    ASSERT_TRUE(table.success);
    EXPECT_EQ(table.encoding, CELVEX_ENCODING_UTF8);
    EXPECT_EQ(table.replaced, 1);
    const std::vector<Fields> rows = BridgeCalls::MappedRows(table);
    ASSERT_EQ(rows.size(), 120u);
    EXPECT_EQ(BridgeCalls::DescribeLoosely({rows[0], rows[119]}),
              BridgeCalls::DescribeLoosely({R("N001", "赵小明", "研发部", "13800000000"),
                                            R("N120", "许小红", "研发部", "13800000119")}));
    EXPECT_EQ(table.Text(table.rows[61], 4), QStringLiteral("备注\uFFFD"));
}

// What the preview starts from: every row with its line, the header and the map.
TEST(TableImport, HeaderLinesMapAndEncoding) {
    struct Case {
        const char* file;
        int headerRow;
        std::array<int, 4> columns;
        std::vector<int> lines;
        int encoding;
    };
    const Case cases[] = {
        {"banner_note_header.xlsx", 2, {1, 2, 4, 3}, {1, 2, 3, 4, 5, 6}, CELVEX_ENCODING_NONE},
        {"banner_note_header.xls", 2, {1, 2, 4, 3}, {1, 2, 3, 4, 5, 6}, CELVEX_ENCODING_NONE},
        // The second person's remark spans lines 5 and 6 of the file.
        {"quoted.csv", 2, {1, 2, 4, 3}, {1, 2, 3, 4, 5, 7}, CELVEX_ENCODING_UTF8},
        {"utf16_tabs.txt", 2, {1, 2, 4, 3}, {1, 2, 3, 4, 5, 7}, CELVEX_ENCODING_UTF16LE},
        {"fullwidth_gbk.txt", 0, {0, 1, 2, 3}, {1, 2, 3}, CELVEX_ENCODING_GB18030},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString name = QString::fromUtf8(c.file);
        const auto table = BridgeCalls::Library().ImportTable(KindOf(name), Fixture(name),
                                                              BridgeCalls::ImportTitles());
        ASSERT_TRUE(table.success);
        EXPECT_EQ(table.headerRow, c.headerRow);
        EXPECT_EQ(table.columns, c.columns);
        std::vector<int> lines;
        for (const auto& row : table.rows) lines.push_back(row.line);
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(table.encoding, c.encoding);
        EXPECT_EQ(table.replaced, 0);
    }
}

// The table and the import are two views of one reading: for every fixture, the rows the
// import gives are the table's rows under its header through its map, and a file one
// refuses the other refuses too.
TEST(TableImport, AgreesWithImportOnEveryFixture) {
    const QStringList files = QDir(Fixture(QString())).entryList(QDir::Files);
    int compared = 0;
    for (const QString& name : files) {
        if (name.endsWith(u".py")) continue;
        SCOPED_TRACE(name.toStdString());
        const Kind kind = KindOf(name);
        const auto imported =
            BridgeCalls::Library().Import(kind, Fixture(name), BridgeCalls::ImportTitles());
        const auto table =
            BridgeCalls::Library().ImportTable(kind, Fixture(name), BridgeCalls::ImportTitles());
        EXPECT_EQ(table.success, imported.success);
        EXPECT_EQ(table.error, imported.error);
        if (!table.success) {
            EXPECT_TRUE(table.rows.empty());
            continue;
        }
        EXPECT_EQ(BridgeCalls::DescribeLoosely(BridgeCalls::MappedRows(table)),
                  BridgeCalls::DescribeLoosely(imported.rows));
        ++compared;
    }
    EXPECT_GE(compared, 20);
}

TEST(TableImport, TextFileAbove10NonEmptyRowsHasNoHeader) {
    TestFolder folder;
    QByteArray text;
    for (int i = 0; i < 10; ++i) text += "x" + QByteArray::number(i) + "\n";
    text += "编号,姓名\n";
    folder.Write(QStringLiteral("list.txt"), text);
    const auto table = BridgeCalls::Library().ImportTable(
        Kind::Text, folder.File(QStringLiteral("list.txt")), BridgeCalls::ImportTitles());
    EXPECT_EQ(table.headerRow, -1);
    EXPECT_EQ(table.columns, (std::array<int, 4>{0, 1, 2, 3}));
    EXPECT_EQ(table.rows.size(), 11u);
}

}  // namespace

// The newer columns: 分组 and who takes part, found by the header alone. A 是否参与 column says
// who takes part, so its 否 leaves a person out; a 不参与抽奖 one says who does not.
TEST(TableImport, GroupAndTakingPartColumnsReachThePreview) {
    struct Case {
        QByteArray file;
        std::vector<uint8_t> excluded;
    };
    const std::vector<Case> cases = {
        {"工号,姓名,员工类型,是否参与\nE1,张三,正式员工,是\nE2,李四,外包,否\nE3,王五,,\n",
         {0, 1, 0}},
        {"工号,姓名,标签,不参与抽奖\nE1,张三,正式员工,N\nE2,李四,外包,yes\nE3,王五,,1\n",
         {0, 1, 1}},
        {"Employee ID,Name,Tag,Excluded\nE1,张三,正式员工,no\nE2,李四,外包,Y\nE3,王五,,?\n",
         {0, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        TestFolder folder;
        folder.Write(QStringLiteral("list.csv"), c.file);
        CelvexLibrary::TableOutcome table = BridgeCalls::Library().ImportTable(
            Kind::Text, folder.File(QStringLiteral("list.csv")), BridgeCalls::ImportTitles());
        ASSERT_TRUE(table.success);
        EXPECT_EQ(table.groupColumn, 2);
        AppData data(folder.Path());
        data.SetReadOnly(true);
        const ImportPreview preview(std::move(table), data);
        EXPECT_EQ(preview.Groups(), (std::vector<QString>{"正式员工", "外包", ""}));
        EXPECT_EQ(preview.Excluded(), c.excluded);
    }
    // A file without a header maps no group, whatever its cells say.
    TestFolder folder;
    folder.Write(QStringLiteral("list.csv"), "E1,张三,研发部,138,标签\n");
    const auto table = BridgeCalls::Library().ImportTable(
        Kind::Text, folder.File(QStringLiteral("list.csv")), BridgeCalls::ImportTitles());
    ASSERT_TRUE(table.success);
    EXPECT_EQ(table.headerRow, -1);
    EXPECT_EQ(table.groupColumn, -1);
}
