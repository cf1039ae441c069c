#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringEncoder>

#include "bridge/BridgeCalls.h"
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
                      SplitCase{"\"a,b\",c", R("\"a", "b\"", "c", nullptr)}));

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
                  {R(nullptr, "x", nullptr, "y")}}));

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
