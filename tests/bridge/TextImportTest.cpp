#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringEncoder>

#include "bridge/BridgeCalls.h"
#include "celvex.h"
#include "support/TestFolder.h"

namespace {

using Fields = BridgeCalls::Fields;

CelvexLibrary::ImportOutcome ImportText(const QByteArray& bytes,
                                        const Fields& titles = BridgeCalls::ImportTitles()) {
    TestFolder folder;
    folder.Write(QStringLiteral("list.txt"), bytes);
    return BridgeCalls::Library().Import(CelvexLibrary::ImportKind::Text,
                                         folder.File(QStringLiteral("list.txt")), titles);
}

QByteArray Encode(const QString& text, QStringConverter::Encoding encoding, bool bom) {
    QStringEncoder encoder(
        encoding, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

struct SplitCase {
    const char* line;
    Fields expected;
};

// Each line alone in a file without a title line: the four slots show the first four fields,
// and a null slot shows that there were fewer fields.
class SplitFieldsTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitFieldsTest, LineGivesFields) {
    const SplitCase& c = GetParam();
    const auto outcome = ImportText(QByteArray(c.line) + "\n");
    ASSERT_TRUE(outcome.loaded);
    ASSERT_TRUE(outcome.success);
    ASSERT_EQ(outcome.rows.size(), 1u);
    EXPECT_EQ(BridgeCalls::Describe(outcome.rows), BridgeCalls::Describe({c.expected}))
        << "line: " << c.line;
}

const auto R = BridgeCalls::Row;

INSTANTIATE_TEST_SUITE_P(
    Table, SplitFieldsTest,
    ::testing::Values(SplitCase{"A001,张三,销售部,13800138000",
                                R("A001", "张三", "销售部", "13800138000")},
                      SplitCase{"a,,b", R("a", "", "b", nullptr)},
                      SplitCase{"a,b,", R("a", "b", nullptr, nullptr)},
                      SplitCase{",a", R("", "a", nullptr, nullptr)},
                      SplitCase{"", R(nullptr, nullptr, nullptr, nullptr)},
                      SplitCase{"   \t ", R("", nullptr, nullptr, nullptr)},
                      SplitCase{"  a , b c ,\td\t", R("a", "b c", "d", nullptr)},
                      SplitCase{"a，b,c，d", R("a", "b", "c", "d")},
                      SplitCase{"a，，b", R("a", "", "b", nullptr)},
                      SplitCase{"a,，b，", R("a", "", "b", nullptr)},
                      SplitCase{"甲乙，丙丁", R("甲乙", "丙丁", nullptr, nullptr)},
                      SplitCase{"a,b,c,d,e,f", R("a", "b", "c", "d")},
                      // Quoting as spreadsheet programs write it, and as editors get it wrong.
                      SplitCase{"\"a,b\",c", R("a,b", "c", nullptr, nullptr)},
                      SplitCase{"\"李\"\"四\"\"\",x", R("李\"四\"", "x", nullptr, nullptr)},
                      SplitCase{"\"\",x,\"\"", R("", "x", "", nullptr)},
                      SplitCase{" \"a, b\" ,\t\" c \"", R("a, b", "c", nullptr, nullptr)},
                      SplitCase{"\"a\"b,c", R("ab", "c", nullptr, nullptr)},
                      SplitCase{"a\"b\",c", R("a\"b\"", "c", nullptr, nullptr)},
                      SplitCase{"\"open,b", R("\"open", "b", nullptr, nullptr)},
                      SplitCase{"\"a，b\"，c", R("a，b", "c", nullptr, nullptr)},
                      // A line with more tabs than commas is split at tabs only.
                      SplitCase{"a\tb,c\td", R("a", "b,c", "d", nullptr)},
                      SplitCase{"a\t\tb", R("a", "", "b", nullptr)},
                      SplitCase{"a,b\tc", R("a", "b\tc", nullptr, nullptr)}));

// The same list saved by different editors: every encoding and line ending gives the same rows.
TEST(TextImportEncoding, EveryCommonEncodingGivesTheSameRows) {
    const QString text = QStringLiteral("编号，姓名,部门,手机\n001,张三，销售部,13800138000\n");
    QString crlf = text;
    crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    const QByteArray gb18030 = ToCharset(text, "GB18030");
    ASSERT_FALSE(gb18030.isEmpty());
    const std::vector<std::pair<const char*, QByteArray>> files = {
        {"UTF-8", Encode(text, QStringConverter::Utf8, false)},
        {"UTF-8 with BOM", Encode(text, QStringConverter::Utf8, true)},
        {"UTF-8 with BOM, CRLF", Encode(crlf, QStringConverter::Utf8, true)},
        {"UTF-16 LE with BOM", Encode(text, QStringConverter::Utf16LE, true)},
        {"UTF-16 BE with BOM, CRLF", Encode(crlf, QStringConverter::Utf16BE, true)},
        {"GB18030", gb18030},
        {"GBK, CRLF", ToGbk(crlf)},
    };
    const std::string expected = BridgeCalls::Describe({R("001", "张三", "销售部", "13800138000")});
    for (const auto& [name, bytes] : files) {
        const auto outcome = ImportText(bytes);
        EXPECT_TRUE(outcome.success) << name;
        EXPECT_EQ(BridgeCalls::Describe(outcome.rows), expected) << name;
    }
}

TEST(TextImportEncoding, FullWidthCommaIsMatchedOnWholeCharactersOnly) {
    // In GB18030 the bytes B0 A3 AC A1 are two characters; their middle bytes A3 AC are the
    // GBK full-width comma but must not split the field.
    const QByteArray line("\xB0\xA3\xAC\xA1,x\n");
    const auto outcome = ImportText(line);
    ASSERT_EQ(outcome.rows.size(), 1u);
    EXPECT_EQ(outcome.rows[0][0], QString::fromUtf8("\u57C3\uE0BC"));
    EXPECT_EQ(outcome.rows[0][1], QStringLiteral("x"));
    EXPECT_TRUE(outcome.rows[0][2].isNull());
}

struct TitleCase {
    const char* name;
    const char* file;
    std::vector<Fields> expected;
};

class TextTitleTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(TextTitleTest, TitleLineMapsColumns) {
    const TitleCase& c = GetParam();
    const auto outcome = ImportText(QByteArray(c.file));
    ASSERT_TRUE(outcome.success) << c.name;
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(BridgeCalls::Describe(outcome.rows), BridgeCalls::Describe(c.expected)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextTitleTest,
    ::testing::Values(
        TitleCase{"full-width titles",
                  "姓名，部门\n张三，销售部\n李四，技术部",
                  {R(nullptr, "张三", "销售部", nullptr), R(nullptr, "李四", "技术部", nullptr)}},
        TitleCase{"titles out of order",
                  "手机,姓名\n13800138000,张三\n",
                  {R(nullptr, "张三", nullptr, "13800138000")}},
        TitleCase{"duplicate title: the later column wins",
                  "姓名,部门,姓名\na,b,c\n",
                  {R(nullptr, "c", "b", nullptr)}},
        TitleCase{"fewer fields than the map",
                  "编号,姓名,部门,手机\n1,张三\n",
                  {R("1", "张三", nullptr, nullptr)}},
        TitleCase{"only a title line", "编号,姓名,部门,手机\r\n", {}},
        TitleCase{"empty file", "", {}},
        TitleCase{"empty line in the middle, CRLF and a last CR",
                  "1,a\r\n\r\n2,b\r",
                  {R("1", "a", nullptr, nullptr), R(nullptr, nullptr, nullptr, nullptr),
                   R("2", "b", nullptr, nullptr)}},
        TitleCase{"no terminator after the last line",
                  "1,a\n2,b",
                  {R("1", "a", nullptr, nullptr), R("2", "b", nullptr, nullptr)}},
        TitleCase{"titles with spaces around them",
                  " 姓名 , 手机\nx,y\n",
                  {R(nullptr, "x", nullptr, "y")}},
        // Quoted fields may hold line breaks, CRLF ones included; the record goes on.
        TitleCase{"line breaks inside quotes",
                  "编号,姓名\r\n1,\"张\r\n三\"\r\n2,\"李\n四\"\r\n",
                  {R("1", "张\r\n三", nullptr, nullptr), R("2", "李\n四", nullptr, nullptr)}},
        TitleCase{"lone CR line ends",
                  "1,a\r2,b\r",
                  {R("1", "a", nullptr, nullptr), R("2", "b", nullptr, nullptr)}},
        // The header decides the separators for the whole file.
        TitleCase{"full-width header keeps ASCII commas in data",
                  "工号，姓名，部门\nE1，张三，研发部,一组\n",
                  {R("E1", "张三", "研发部,一组", nullptr)}},
        TitleCase{"comma header keeps full-width commas in data",
                  "编号,姓名,部门,备注\n1,张三,研发部，一组,好的，谢谢\n",
                  {R("1", "张三", "研发部，一组", nullptr)}},
        TitleCase{"tab header",
                  "编号\t姓名\t部门\t手机\n1\t张 三\t研发部,一组\t\n",
                  {R("1", "张 三", "研发部,一组", nullptr)}},
        TitleCase{"a header mixing both commas splits at both",
                  "编号，姓名,部门\n1,张三，研发部\n",
                  {R("1", "张三", "研发部", nullptr)}},
        // Banners, notes and empty lines above the header are not candidates.
        TitleCase{
            "banner, note and empty lines above the header",
            "2026 年会抽奖名单\n说明：请核对，谢谢\n\n,,,\n工号,员工姓名,手机号码,所属部门,备注\n"
            "E1,张三,13800138000,研发部,x\n",
            {R("E1", "张三", "研发部", "13800138000")}},
        TitleCase{"HR and English names in any order",
                  "Full Name,EMPLOYEE ID,Dept.,mobile phone\nZhang San,E1,R&D,138\n",
                  {R("E1", "Zhang San", "R&D", "138")}},
        TitleCase{"序号 counts rows and is no candidate column",
                  "序号,名字,单位\n1,张三,研发部\n",
                  {R(nullptr, "张三", "研发部", nullptr)}},
        TitleCase{"手机 is preferred to 电话 whatever the order",
                  "电话,手机,人员姓名,联系电话\n010-1,138,张三,139\n",
                  {R(nullptr, "张三", nullptr, "138")}},
        TitleCase{"ideographic space inside a name",
                  "姓\u3000名,部　门\nx,y\n",
                  {R(nullptr, "x", "y", nullptr)}}));

// The header is looked for among the first ten non-empty rows only; later a row naming a
// column is data, as in a file without a header.
TEST(TextImport, HeaderIsSoughtInTheFirstTenNonEmptyRows) {
    const auto rowsBefore = [](int n) {
        QByteArray file;
        for (int i = 0; i < n; ++i) file += "a,b\n\n";
        return file + "姓名,编号\nc,d\n";
    };
    const auto ninth = ImportText(rowsBefore(9));
    EXPECT_EQ(BridgeCalls::Describe(ninth.rows),
              BridgeCalls::Describe({R("d", "c", nullptr, nullptr)}));
    const auto tenth = ImportText(rowsBefore(10));
    ASSERT_EQ(tenth.rows.size(), 22u);
    EXPECT_EQ(BridgeCalls::Describe({tenth.rows[20], tenth.rows[21]}),
              BridgeCalls::Describe(
                  {R("姓名", "编号", nullptr, nullptr), R("c", "d", nullptr, nullptr)}));
}

// The encoding is decided by evidence, not by a share of well-formed sequences: a UTF-8 list
// with one stray byte reads as UTF-8 however short it is (the byte becomes U+FFFD and is
// counted), and a GBK list reads as GB18030 however long.
TEST(TextImportEncoding, StrayBytesKeepUtf8AndGbkStaysGbk) {
    struct Case {
        const char* file;
        int encoding;
        int replaced;
        size_t rows;
    };
    for (const Case c : {Case{"utf8_stray_3.csv", CELVEX_ENCODING_UTF8, 1, 3},
                         Case{"utf8_stray_3000.csv", CELVEX_ENCODING_UTF8, 1, 3000},
                         Case{"gbk_3.csv", CELVEX_ENCODING_GB18030, 0, 3},
                         Case{"gbk_3000.csv", CELVEX_ENCODING_GB18030, 0, 3000}}) {
        SCOPED_TRACE(c.file);
        const auto table = BridgeCalls::Library().ImportTable(
            CelvexLibrary::ImportKind::Text,
            QStringLiteral(VANTORIA_TEST_DATA "/import/") + QString::fromLatin1(c.file),
            BridgeCalls::ImportTitles());
        ASSERT_TRUE(table.success);
        EXPECT_EQ(table.encoding, c.encoding);
        EXPECT_EQ(table.replaced, c.replaced);
        const auto rows = BridgeCalls::MappedRows(table);
        ASSERT_EQ(rows.size(), c.rows);
        EXPECT_EQ(rows.front()[0], QStringLiteral("E1001"));
        EXPECT_EQ(rows.front()[1], QStringLiteral("赵伟"));
        EXPECT_EQ(rows.front()[2], QStringLiteral("研发中心"));
    }
    // Made up, without a detector's verdict to lean on: a stray byte among many good
    // characters is UTF-8; bytes that form next to no UTF-8 are GB18030.
    struct Made {
        QByteArray bytes;
        int encoding;
    };
    QByteArray many = "姓名,备注\n";
    for (int i = 0; i < 98; ++i) many += QByteArray("张") + ",\n";
    many += QByteArray("李\xFF") + ",x\n";
    for (const Made& m :
         {Made{many, CELVEX_ENCODING_UTF8},
          Made{QByteArray("1,\xD5\xC5\xC8\xFD\n2,\xC0\xEE\xCB\xC4\n"), CELVEX_ENCODING_GB18030}}) {
        TestFolder folder;
        folder.Write(QStringLiteral("list.csv"), m.bytes);
        const auto table = BridgeCalls::Library().ImportTable(
            CelvexLibrary::ImportKind::Text, folder.File(QStringLiteral("list.csv")),
            BridgeCalls::ImportTitles());
        ASSERT_TRUE(table.success);
        EXPECT_EQ(table.encoding, m.encoding);
    }
}

TEST(TextImport, TitlesIgnoreAsciiCase) {
    const Fields titles = {QStringLiteral("No"), QStringLiteral("Name"), QStringLiteral("Dept"),
                           QStringLiteral("Tel")};
    const auto outcome = ImportText("TEL,name,x\n1,2,3\n", titles);
    EXPECT_EQ(BridgeCalls::Describe(outcome.rows),
              BridgeCalls::Describe({R(nullptr, "2", nullptr, "1")}));
}

TEST(TextImport, MissingFileIsReportedNotTakenAsEmpty) {
    TestFolder folder;
    const auto outcome = BridgeCalls::Library().Import(CelvexLibrary::ImportKind::Text,
                                                       folder.File(QStringLiteral("none.txt")),
                                                       BridgeCalls::ImportTitles());
    EXPECT_TRUE(outcome.loaded);
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.error, CELVEX_FAILED);
    EXPECT_TRUE(outcome.rows.empty());
}

TEST(TextImport, ChineseFileNameOpens) {
    TestFolder folder;
    folder.Write(QStringLiteral("名单.txt"), "1,张三\n");
    const auto outcome = BridgeCalls::Library().Import(CelvexLibrary::ImportKind::Text,
                                                       folder.File(QStringLiteral("名单.txt")),
                                                       BridgeCalls::ImportTitles());
    EXPECT_TRUE(outcome.success);
    EXPECT_EQ(outcome.rows.size(), 1u);
}

}  // namespace
