#include <gtest/gtest.h>

#include <QRegularExpression>

#include "model/AppData.h"
#include "model/Utilities.h"
#include "support/TestFolder.h"

namespace {

std::vector<int32_t> Ids(const AppData& data) {
    std::vector<int32_t> ids;
    for (const auto& c : data.Candidates()) ids.push_back(c->id);
    return ids;
}

}  // namespace

TEST(AppData, DefaultsBeforeAnyFile) {
    TestFolder dir;
    AppData data(dir.Path());
    EXPECT_EQ(data.TabIndex(), 0);
    EXPECT_EQ(data.GenNumberList().Start, 1);
    EXPECT_EQ(data.GenNumberList().Total, 100);
    EXPECT_EQ(data.PrizeUIType(), 1);
    EXPECT_EQ(data.FieldType(), 0);
    EXPECT_FALSE(data.AllowRepeat());
    ASSERT_EQ(data.SymbolList().size(), 7u);
    EXPECT_EQ(data.FindSymbol(4)->Color, 0x0000FFFFu);
    EXPECT_EQ(data.FindSymbol(0)->label, QStringLiteral("活动主题"));
    EXPECT_EQ(data.FindSymbol(6)->label, QStringLiteral("奖项信息（小）"));
    for (const auto& [id, s] : data.SymbolList()) {
        EXPECT_EQ(s->FontName, QStringLiteral("微软雅黑"));
        EXPECT_EQ(s->fontSize, -1);
    }
    EXPECT_EQ(data.FindSymbol(7), nullptr);
    ASSERT_EQ(data.MusicList().Entries().size(), 2u);
    EXPECT_EQ(data.MusicList().SelectedPath(), dir.Path() + "music/default.mp3");
    ASSERT_EQ(data.BackgroundList().Entries().size(), 3u);
    EXPECT_EQ(data.BackgroundList().Entries()[1].name, QStringLiteral("鸿运当头"));
    EXPECT_EQ(data.BackgroundList().Entries()[2].path, dir.Path() + "image/jxgz.jpg");
}

TEST(AppData, CandidateIdsFillGapsOfStoredOnes) {
    TestFolder dir;
    {
        AppData fresh(dir.Path());
        EXPECT_EQ(fresh.AddCandidate("a", "", "", "", 0)->id, 0);
        EXPECT_EQ(fresh.AddCandidate("b", "", "", "", 1)->id, 1);
    }
    dir.WriteGbk("cd.xml",
                 "<?xml version=\"1.0\" encoding=\"GB2312\"?><Vantoria><CandidateList>"
                 "<Candidate id=\"0\" NO=\"a\" name=\"\" department=\"\" tel=\"\" index=\"0\"/>"
                 "<Candidate id=\"1\" NO=\"b\" name=\"\" department=\"\" tel=\"\" index=\"1\"/>"
                 "<Candidate id=\"3\" NO=\"d\" name=\"\" department=\"\" tel=\"\" index=\"2\"/>"
                 "</CandidateList></Vantoria>");
    AppData data(dir.Path());
    EXPECT_EQ(Ids(data), (std::vector<int32_t>{0, 1, 3}));
    EXPECT_EQ(data.AddCandidate("x", "", "", "", 3)->id, 2);
    EXPECT_EQ(data.AddCandidate("y", "", "", "", 4)->id, 4);
}

TEST(AppData, PrizeIdsAreNotReusedWithinARun) {
    TestFolder dir;
    AppData data(dir.Path());
    EXPECT_EQ(data.AddPrize("A", "", 1, 1, "", 0), 0);
    EXPECT_EQ(data.AddPrize("B", "", 1, 1, "", 1), 1);
    data.DeletePrize(0);
    EXPECT_EQ(data.AddPrize("C", "", 1, 1, "", 2), 2);
}

TEST(AppData, ClearingCandidatesRemovesEveryWinner) {
    TestFolder dir;
    AppData data(dir.Path());
    const int32_t p = data.AddPrize("A", "", 3, 1, "", 0);
    const int32_t c = data.AddCandidate("1", "n", "", "", 0)->id;
    data.AddWinner(std::make_unique<Winner>(Winner{p, c, "n", "t"}));
    ASSERT_TRUE(data.IsWinner(c));
    data.ClearCandidates();
    EXPECT_TRUE(data.Candidates().empty());
    EXPECT_TRUE(data.CandidateMap().empty());
    EXPECT_EQ(data.TotalWinners(), 0u);
    EXPECT_FALSE(data.IsWinner(c));
}

TEST(AppData, DeletedPrizesTakeTheirWinnersAndOrphansGoLater) {
    TestFolder dir;
    AppData data(dir.Path());
    const int32_t a = data.AddPrize("A", "", 3, 1, "", 0);
    const int32_t b = data.AddPrize("B", "", 3, 1, "", 1);
    data.AddWinner(std::make_unique<Winner>(Winner{a, 1, "x", "t"}));
    data.AddWinner(std::make_unique<Winner>(Winner{b, 2, "y", "t"}));
    data.AddWinner(std::make_unique<Winner>(Winner{42, 3, "z", "t"}));  // prize never existed
    data.DeletePrize(a);
    EXPECT_EQ(data.WinnersOfPrize(a), nullptr);
    EXPECT_EQ(data.WinnerCount(b), 1);
    data.DeletePrize(77);  // unknown ids change nothing
    EXPECT_EQ(data.TotalWinners(), 2u);
    data.RemoveOrphanWinners();
    EXPECT_EQ(data.TotalWinners(), 1u);
    EXPECT_EQ(data.WinnersOfPrize(42), nullptr);
}

TEST(AppData, RemoveWinnerTakesThatVeryRecordAndKeepsTheVector) {
    TestFolder dir;
    AppData data(dir.Path());
    const int32_t a = data.AddPrize("A", "", 3, 1, "", 0);
    data.AddWinner(std::make_unique<Winner>(Winner{a, 1, "same", "t"}));
    data.AddWinner(std::make_unique<Winner>(Winner{a, 1, "same", "t"}));
    const Winner* second = (*data.WinnersOfPrize(a))[1].get();
    std::unique_ptr<Winner> taken = data.RemoveWinner(second);
    ASSERT_EQ(taken.get(), second);
    EXPECT_EQ(data.WinnerCount(a), 1);
    data.RemoveWinner((*data.WinnersOfPrize(a))[0].get());
    ASSERT_NE(data.WinnersOfPrize(a), nullptr);
    EXPECT_TRUE(data.WinnersOfPrize(a)->empty());
    EXPECT_EQ(data.RemoveWinner(nullptr), nullptr);
}

TEST(AppData, DrawOrderIsAscendingIndexWithHigherIdFirstOnTies) {
    TestFolder dir;
    AppData data(dir.Path());
    const int32_t p0 = data.AddPrize("p0", "", 1, 1, "", 2);
    const int32_t p1 = data.AddPrize("p1", "", 1, 1, "", 1);
    const int32_t p2 = data.AddPrize("p2", "", 1, 1, "", 2);
    const int32_t p3 = data.AddPrize("p3", "", 1, 1, "", 0);
    std::vector<int32_t> order;
    for (const Prize* p : data.PrizesInDrawOrder()) order.push_back(p->id);
    EXPECT_EQ(order, (std::vector<int32_t>{p3, p1, p2, p0}));

    data.AddWinner(std::make_unique<Winner>(Winner{p0, 1, "a", "t"}));
    data.AddWinner(std::make_unique<Winner>(Winner{p3, 2, "b", "t"}));
    data.AddWinner(std::make_unique<Winner>(Winner{p3, 3, "c", "t"}));
    std::vector<Winner*> winners;
    data.WinnersInDrawOrder(winners);
    ASSERT_EQ(winners.size(), 3u);
    EXPECT_EQ(winners[0]->show, "b");
    EXPECT_EQ(winners[1]->show, "c");
    EXPECT_EQ(winners[2]->show, "a");
}

TEST(AppData, OperatorFlagIsSetOnlyByHand) {
    TestFolder dir;
    AppData data(dir.Path());
    data.SetFieldType(3, false);
    EXPECT_EQ(data.FieldType(), 3);
    EXPECT_FALSE(data.FieldTypeChosenByOperator());
    data.SetFieldType(1, true);
    data.SetFieldType(2, false);
    EXPECT_EQ(data.FieldType(), 2);
    EXPECT_TRUE(data.FieldTypeChosenByOperator());
}

TEST(AppData, SameIdTwiceStaysTwiceInTheListAndTheLaterWinsTheMap) {
    TestFolder dir;
    AppData data(dir.Path());
    data.AddCandidateRecord(
        std::make_unique<Candidate>(Candidate{5, "first", "", "", "", 0, "", false}));
    data.AddCandidateRecord(
        std::make_unique<Candidate>(Candidate{5, "second", "", "", "", 1, "", false}));
    data.AddCandidateRecord(nullptr);
    EXPECT_EQ(data.Candidates().size(), 2u);
    EXPECT_EQ(data.FindCandidate(5)->NO, "second");
}

TEST(MediaList, AddFileKeepsPresetsAndFourNewestFiles) {
    MediaList list({{"p0", "/p0.jpg", false}, {"p1", "/p1.jpg", false}});
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(list.AddFile(QStringLiteral("/pics/f%1.v2.jpg").arg(i)), 2);
    }
    const auto& e = list.Entries();
    ASSERT_EQ(e.size(), 6u);
    EXPECT_EQ(e[0].name, "p0");
    EXPECT_EQ(e[1].name, "p1");
    EXPECT_EQ(e[2].name, "f5.v2");
    EXPECT_EQ(e[5].name, "f2.v2");  // f1, the oldest, was dropped
    EXPECT_TRUE(e[2].added);
    EXPECT_FALSE(e[0].added);
    EXPECT_EQ(list.Index(), 2);
    EXPECT_EQ(list.SelectedPath(), "/pics/f5.v2.jpg");
}

TEST(MediaList, SetIndexIgnoresPositionsOutsideTheList) {
    MediaList list({{"a", "/a", false}, {"b", "/b", false}});
    list.SetIndex(1);
    for (int bad : {-1, 2, 100}) {
        list.SetIndex(bad);
        EXPECT_EQ(list.Index(), 1) << bad;
    }
    EXPECT_EQ(list.SelectedPath(), "/b");
}

struct ParseCase {
    const char* text;
    int32_t value;
};

class ParseIntTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseIntTest, ReadsLeadingDigitsOnly) {
    EXPECT_EQ(ParseInt(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Numbers, ParseIntTest,
                         ::testing::Values(ParseCase{"42", 42}, ParseCase{"  \t\n-17", -17},
                                           ParseCase{"+8", 8}, ParseCase{"12abc", 12},
                                           ParseCase{"abc", 0}, ParseCase{"", 0}, ParseCase{"-", 0},
                                           ParseCase{" 3 4", 3}, ParseCase{"0x10", 0},
                                           ParseCase{"99999999999", 2147483647},
                                           ParseCase{"-99999999999", -2147483647 - 1},
                                           ParseCase{"4294967295", 2147483647},
                                           ParseCase{"１２", 0}));

TEST(Utilities, TextsOfTheProgram) {
    EXPECT_EQ(ImportErrorText(-3), QStringLiteral("解析Excel出错"));
    EXPECT_EQ(ImportErrorText(-2), QStringLiteral("Excel未被正确安装"));
    EXPECT_EQ(ImportErrorText(-1), QStringLiteral("无效的参数"));
    EXPECT_EQ(ImportErrorText(0), QStringLiteral("未知错误"));
    EXPECT_EQ(ImportErrorText(-4), QStringLiteral("未知错误"));
    EXPECT_EQ(FileNameOf("/a/b/c.d.png"), "c.d.png");
    EXPECT_EQ(FileNameOf("C:\\x\\y.jpg"), "y.jpg");
    EXPECT_TRUE(ExeDirectory().endsWith('/'));
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}$")
                    .match(LocalTimeText())
                    .hasMatch());
    TestFolder dir;
    EXPECT_TRUE(FileExists(dir.Path(), true));
    EXPECT_FALSE(FileExists(dir.Path(), false));
    dir.Write("f", "x");
    EXPECT_TRUE(FileExists(dir.File("f"), false));
    EXPECT_FALSE(FileExists(dir.File("f"), true));
    EXPECT_FALSE(FileExists(dir.File("missing"), false));
    EXPECT_FALSE(FileExists(QString(), false));
}
