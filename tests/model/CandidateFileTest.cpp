#include <gtest/gtest.h>

#include <QDir>

#include "model/AppData.h"
#include "support/TestFolder.h"

namespace {

QString Entry(int id, const QString& no, const QString& extra = QString()) {
    return QStringLiteral(
               "<Candidate id=\"%1\" NO=\"%2\" name=\"n%2\" department=\"d\" %3 index=\"%1\"/>")
        .arg(id)
        .arg(no, extra.isNull() ? QStringLiteral("tel=\"t\"") : extra);
}

QString ListFile(const QString& list) {
    return "<?xml version=\"1.0\" encoding=\"GB2312\"?><Vantoria><CandidateList>" + list +
           "</CandidateList></Vantoria>";
}

QStringList Numbers(const AppData& data) {
    QStringList out;
    for (const auto& c : data.Candidates()) out << c->NO;
    return out;
}

}  // namespace

TEST(CandidateFile, RoundTripKeepsOrderFieldsAndEveryCharacter) {
    TestFolder dir;
    const QString rare = QStringLiteral("朱镕基𠀀😀");  // GBK-only, then two outside GBK
    {
        AppData data(dir.Path());
        data.AddCandidate("007", rare, "研发部 & \"测试\" <组>", "13800138000", 0);
        data.AddCandidateRecord(
            std::make_unique<Candidate>(Candidate{40, "b", "", "", "", 1, "", false}));
        data.AddCandidate("c\tx", "bell\x07gone", "", "", 2);
        ASSERT_TRUE(data.Save(AppData::kSaveCandidates));
    }
    const QByteArray bytes = dir.Read("cd.xml");
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"GB2312\"?>"));
    // 镕 is GBK's, not GB2312's: a reference keeps the file what it declares.
    EXPECT_TRUE(bytes.contains(ToGbk("朱") + "&#38229;" + ToGbk("基")));
    EXPECT_TRUE(bytes.contains("&#131072;") || bytes.contains("&#x20000;"));

    AppData data(dir.Path());
    ASSERT_EQ(data.Candidates().size(), 3u);
    const auto& first = *data.Candidates()[0];
    EXPECT_EQ(first.id, 0);
    EXPECT_EQ(first.NO, "007");
    EXPECT_EQ(first.name, rare);
    EXPECT_EQ(first.department, "研发部 & \"测试\" <组>");
    EXPECT_EQ(first.tel, "13800138000");
    EXPECT_EQ(data.Candidates()[1]->id, 40);
    EXPECT_EQ(data.Candidates()[2]->NO, "c\tx");
    // A control character cannot stand in XML; it is dropped so the file stays readable.
    EXPECT_EQ(data.Candidates()[2]->name, "bellgone");
}

TEST(CandidateFile, OrderOfTheFileWhateverTheIds) {
    TestFolder dir;
    dir.WriteGbk("cd.xml", ListFile(Entry(9, "x") + Entry(2, "y") + Entry(9, "z")));
    AppData data(dir.Path());
    EXPECT_EQ(Numbers(data), (QStringList{"x", "y", "z"}));
    EXPECT_EQ(data.FindCandidate(9)->NO, "z");
}

TEST(CandidateFile, StopsAtTheFirstBadCandidateAndKeepsACopy) {
    TestFolder dir;
    const QString text =
        ListFile(Entry(0, "a") + Entry(1, "b") + Entry(2, "c", "") + Entry(3, "d"));
    dir.WriteGbk("cd.xml", text);
    {
        AppData data(dir.Path());
        EXPECT_EQ(Numbers(data), (QStringList{"a", "b"}));
    }
    const QStringList copies = QDir(dir.Path()).entryList({"cd.damaged-*.xml"}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(dir.Read(copies[0]), ToGbk(text));
    AppData again(dir.Path());
    EXPECT_EQ(Numbers(again), (QStringList{"a", "b"}));
}

struct ShapeCase {
    const char* label;
    QString text;
    QStringList numbers;
};

class CandidateFileShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(CandidateFileShape, SelectsTheListAsTheTreeWouldAndFailsCleanly) {
    TestFolder dir;
    dir.WriteGbk("cd.xml", GetParam().text);
    AppData data(dir.Path());
    EXPECT_EQ(Numbers(data), GetParam().numbers) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Files, CandidateFileShape,
    ::testing::Values(
        ShapeCase{"no list", "<?xml version=\"1.0\"?><Vantoria><Other/></Vantoria>", {}},
        ShapeCase{"empty list", "<?xml version=\"1.0\"?><Vantoria><CandidateList/></Vantoria>", {}},
        ShapeCase{"list nested deeper",
                  "<?xml version=\"1.0\"?><Root><Vantoria><CandidateList>" + Entry(0, "a") +
                      "</CandidateList></Vantoria></Root>",
                  {"a"}},
        ShapeCase{"only the first list",
                  "<?xml version=\"1.0\"?><Vantoria><CandidateList>" + Entry(0, "a") +
                      "</CandidateList><CandidateList>" + Entry(1, "b") +
                      "</CandidateList></Vantoria>",
                  {"a"}},
        ShapeCase{"list under another parent is not it",
                  "<?xml version=\"1.0\"?><Vantoria><X><CandidateList>" + Entry(0, "a") +
                      "</CandidateList></X></Vantoria>",
                  {}},
        ShapeCase{"whitespace between elements",
                  "<?xml version=\"1.0\"?>\n<Vantoria>\n <CandidateList>\n  " + Entry(0, "a") +
                      "\n  " + Entry(1, "b") + "\n </CandidateList>\n</Vantoria>\n",
                  {"a", "b"}},
        ShapeCase{"comment inside the list stops",
                  ListFile(Entry(0, "a") + "<!-- c -->" + Entry(1, "b")),
                  {"a"}},
        ShapeCase{"truncated adds nothing", ListFile(Entry(0, "a")).left(120), {}},
        ShapeCase{"garbage after the root adds nothing", ListFile(Entry(0, "a")) + "<x>", {}},
        ShapeCase{"not xml", "PK\x03\x04 this is a zip", {}}));

TEST(CandidateFile, DeepNestingFailsWithoutCrashing) {
    TestFolder dir;
    QByteArray s = "<?xml version=\"1.0\"?><Vantoria><CandidateList>";
    for (int i = 0; i < 10000; ++i) s += "<a>";
    for (int i = 0; i < 10000; ++i) s += "</a>";
    dir.Write("cd.xml", s + "</CandidateList></Vantoria>");
    AppData data(dir.Path());
    EXPECT_TRUE(data.Candidates().empty());
}

// Group and exclusion are newer attributes: written only when set, read when present, and a
// list without them is the file it always was.
TEST(CandidateFile, GroupAndExclusionRoundTripAndStayOutOfOlderLists) {
    TestFolder dir;
    const QString longGroup(10000, QChar(u'组'));
    {
        AppData data(dir.Path());
        data.AddCandidate("1", "张三", "研发部", "", 0)->group = QStringLiteral("2026届");
        data.AddCandidate("2", "李四", "董事会办公室", "", 1)->excluded = true;
        data.AddCandidate("3", "王五", "", "", 2)->group = longGroup;
        data.AddCandidate("4", "赵六", "", "", 3);
        ASSERT_TRUE(data.Save(AppData::kSaveCandidates));
    }
    const QByteArray bytes = dir.Read("cd.xml");
    EXPECT_EQ(bytes.count("group="), 2);
    EXPECT_EQ(bytes.count("excluded=\"1\""), 1);
    AppData back(dir.Path());
    back.SetReadOnly(true);
    ASSERT_EQ(back.Candidates().size(), 4u);
    EXPECT_EQ(back.Candidates()[0]->group, QStringLiteral("2026届"));
    EXPECT_FALSE(back.Candidates()[0]->excluded);
    EXPECT_TRUE(back.Candidates()[1]->excluded);
    EXPECT_EQ(back.Candidates()[2]->group, longGroup);
    EXPECT_TRUE(back.Candidates()[3]->group.isEmpty());
}
