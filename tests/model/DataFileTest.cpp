#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "model/AppData.h"
#include "model/AtomicFileWriter.h"
#include "model/Prize.h"
#include "support/TestFolder.h"

namespace {

const QString kDecl = QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\"?>");

QString Wrap(const QString& body) {
    return kDecl + "<Vantoria>" + body + "</Vantoria>";
}

QStringList DamagedCopies(const TestFolder& dir) {
    return QDir(dir.Path()).entryList({"*.damaged-*"}, QDir::Files);
}

}  // namespace

TEST(DataFile, EverythingStoredComesBack) {
    TestFolder dir;
    int32_t prizeId = 0;
    {
        AppData data(dir.Path());
        prizeId = data.AddPrize("一等奖", "手机 & <耳机>", 3, 2, "/pics/a.png", 5);
        data.SetTitle(QStringLiteral("2027 \"年会\""));
        data.SetPrizeUIType(0);
        data.SetFieldType(3, true);
        data.SetAllowRepeat(true);
        data.SetTabIndex(2);
        data.GenNumberList() = {7, 42, "A-", "-Z"};
        data.SetLastFrame(3);
        data.FindSymbol(2)->FontName = "Noto Serif";
        data.FindSymbol(2)->Color = 0x00123456;
        data.BackgroundList().AddFile("/pics/B.jpg");
        data.BackgroundList().AddFile("/pics/A.jpg");
        data.MusicList().AddFile("/music/song.mp3");
        data.MusicList().SetIndex(1);
        data.AddWinner(std::make_unique<Winner>(Winner{prizeId, 9, "张三", "2027-01-20 19:30:00"}));
        data.AddWinner(std::make_unique<Winner>(Winner{99, 8, "孤儿", "2027-01-20 19:31:00"}));
        ASSERT_TRUE(data.Save(AppData::kSaveData));
    }
    AppData data(dir.Path());
    const Prize* p = data.FindPrize(prizeId);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->name, "一等奖");
    EXPECT_EQ(p->content, "手机 & <耳机>");
    EXPECT_EQ(p->count, 3);
    EXPECT_EQ(p->batch, 2);
    EXPECT_EQ(p->image, "/pics/a.png");
    EXPECT_EQ(p->index, 5);
    EXPECT_EQ(data.Title(), "2027 \"年会\"");
    EXPECT_EQ(data.PrizeUIType(), 0);
    EXPECT_EQ(data.FieldType(), 3);
    EXPECT_FALSE(data.FieldTypeChosenByOperator());  // never stored
    EXPECT_TRUE(data.AllowRepeat());
    EXPECT_EQ(data.TabIndex(), 2);
    EXPECT_EQ(data.GenNumberList().Start, 7);
    EXPECT_EQ(data.GenNumberList().Total, 42);
    EXPECT_EQ(data.GenNumberList().Prefix, "A-");
    EXPECT_EQ(data.GenNumberList().Suffix, "-Z");
    EXPECT_EQ(data.LastFrame(), 3);
    EXPECT_EQ(data.FindSymbol(2)->FontName, "Noto Serif");
    EXPECT_EQ(data.FindSymbol(2)->Color, 0x00123456u);
    const auto& bg = data.BackgroundList().Entries();
    ASSERT_EQ(bg.size(), 5u);
    EXPECT_EQ(bg[3].path, "/pics/A.jpg");
    EXPECT_EQ(bg[4].path, "/pics/B.jpg");
    EXPECT_EQ(bg[3].name, "A");
    EXPECT_EQ(data.BackgroundList().Index(), 3);
    EXPECT_EQ(data.MusicList().Index(), 1);
    EXPECT_EQ(data.MusicList().Entries().size(), 3u);
    ASSERT_EQ(data.WinnerCount(prizeId), 1);
    EXPECT_EQ((*data.WinnersOfPrize(prizeId))[0]->show, "张三");
    EXPECT_EQ(data.WinnerCount(99), 1);  // orphans load, and go at the next clean-up
}

TEST(DataFile, FileLayoutAndEncoding) {
    TestFolder dir;
    {
        AppData data(dir.Path());
        data.AddPrize("镕", "😀", 1, 1, "", 0);  // GBK-only character, and one outside GBK
        data.BackgroundList().AddFile("/x/B.jpg");
        data.BackgroundList().AddFile("/x/A.jpg");
    }
    const QByteArray bytes = dir.Read("data.xml");
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"GB2312\"?>"));
    EXPECT_TRUE(bytes.contains("&#38229;"));  // 镕 is GBK's, not GB2312's
    EXPECT_TRUE(bytes.contains("&#128512;") || bytes.contains("&#x1F600;"));
    EXPECT_TRUE(
        bytes.contains("<Image index=\"3\"><File>/x/A.jpg</File><File>/x/B.jpg</File></Image>"));
    EXPECT_TRUE(bytes.contains("<Symbol Id=\"4\" FontName=\"" + ToGbk("微软雅黑") +
                               "\" Color=\"65535\"/>"));
    const qsizetype prizes = bytes.indexOf("<PrizeList>");
    const qsizetype setting = bytes.indexOf("<Setting>");
    const qsizetype winners = bytes.indexOf("<WinnerList");
    EXPECT_TRUE(prizes >= 0 && prizes < setting && setting < winners);
    EXPECT_FALSE(bytes.contains("> <"));
    AppData back(dir.Path());
    EXPECT_EQ(back.FindPrize(0)->name, "镕");
    EXPECT_EQ(back.FindPrize(0)->content, "😀");
}

TEST(DataFile, ReaderRulesForHandWrittenFiles) {
    TestFolder dir;
    dir.WriteGbk(
        "data.xml",
        Wrap("<PrizeList><Prize id=\"4\" name=\"A\" content=\"\" count=\" 12abc\" batch=\"x\" "
             "image=\"pic/a.png \" index=\"-3\"/></PrizeList>"
             "<Setting><TITLE>大会</TITLE><prizeuitype></prizeuitype><FieldType>7</FieldType>"
             "<AllowRepeat>5</AllowRepeat><Design><SymbolList>"
             "<Symbol Id=\"9\" FontName=\"X\" Color=\"1\"/><Symbol Id=\"1\" FontName=\"Y\" "
             "Color=\"255\"/></SymbolList></Design></Setting>"));
    AppData data(dir.Path());
    const Prize* p = data.FindPrize(4);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->count, 12);
    EXPECT_EQ(p->batch, 0);
    EXPECT_EQ(p->index, -3);
    EXPECT_EQ(p->image, "pic/a.png");  // trailing blank gone, still relative in data.xml
    EXPECT_EQ(data.Title(), "大会");
    EXPECT_EQ(data.PrizeUIType(), 0);
    EXPECT_EQ(data.FieldType(), 7);
    EXPECT_TRUE(data.AllowRepeat());
    EXPECT_EQ(data.SymbolList().size(), 7u);
    EXPECT_EQ(data.FindSymbol(1)->FontName, "Y");
    EXPECT_EQ(data.FindSymbol(1)->Color, 255u);
    EXPECT_EQ(data.FindSymbol(0)->FontName, QStringLiteral("微软雅黑"));
}

TEST(DataFile, DefaultsFileOnFirstRunWithPicturesBesideTheProgram) {
    TestFolder dir;
    dir.WriteGbk("init.xml",
                 Wrap("<PrizeList><Prize id=\"0\" name=\"特等奖\" content=\"c\" count=\"1\" "
                      "batch=\"1\" image=\"image/p.png \" index=\"0\"/>"
                      "<Prize id=\"1\" name=\"B\" content=\"\" count=\"1\" batch=\"1\" "
                      "image=\"\" index=\"1\"/></PrizeList>"
                      "<Setting><Title>T</Title></Setting>"
                      "<CandidateList><Candidate id=\"0\" NO=\"1\" name=\"\" "
                      "department=\"\" tel=\"\" index=\"0\"/></CandidateList>"));
    {
        AppData data(dir.Path());
        EXPECT_EQ(data.FindPrize(0)->image, dir.Path() + "image/p.png");
        EXPECT_EQ(data.FindPrize(1)->image, "");
        EXPECT_EQ(data.Title(), "T");
        EXPECT_TRUE(data.Candidates().empty());
        EXPECT_FALSE(QFile::exists(dir.File("data.xml")));
    }
    EXPECT_TRUE(QFile::exists(dir.File("data.xml")));
    // From now on data.xml is read, not init.xml.
    dir.WriteGbk("init.xml", Wrap("<Setting><Title>changed</Title></Setting>"));
    AppData again(dir.Path());
    EXPECT_EQ(again.Title(), "T");
    EXPECT_EQ(again.FindPrize(0)->image, dir.Path() + "image/p.png");
}

TEST(DataFile, AFolderNamedDataXmlMeansNoDataFile) {
    TestFolder dir;
    QDir(dir.Path()).mkdir("data.xml");
    dir.WriteGbk("init.xml", Wrap("<Setting><Title>from init</Title></Setting>"));
    AppData data(dir.Path());
    EXPECT_EQ(data.Title(), "from init");
    EXPECT_FALSE(data.Save(AppData::kSaveData));  // cannot replace a folder
    EXPECT_TRUE(QFileInfo(dir.File("data.xml")).isDir());
}

struct DamagedCase {
    const char* label;
    QByteArray bytes;
    int prizes;  // prizes that survive the reading
};

class DamagedDataFile : public ::testing::TestWithParam<DamagedCase> {};

// Each case: what was read before the damage stays, nothing crashes or hangs, init.xml is not
// read, and the damaged original is kept beside the new file at the first save.
TEST_P(DamagedDataFile, KeepsWhatWasReadAndACopyOfTheOriginal) {
    TestFolder dir;
    dir.Write("data.xml", GetParam().bytes);
    dir.WriteGbk("init.xml", Wrap("<Setting><Title>init</Title></Setting>"));
    {
        AppData data(dir.Path());
        EXPECT_EQ(static_cast<int>(data.Prizes().size()), GetParam().prizes);
        EXPECT_NE(data.Title(), "init");
        EXPECT_EQ(data.SymbolList().size(), 7u);
    }
    const QStringList copies = DamagedCopies(dir);
    ASSERT_EQ(copies.size(), 1) << GetParam().label;
    EXPECT_EQ(dir.Read(copies[0]), GetParam().bytes);
    EXPECT_TRUE(QFile::exists(dir.File("data.xml")));
}

namespace {
const QByteArray kTwoPrizes = ToGbk(
    "<Prize id=\"0\" name=\"A\" content=\"\" count=\"1\" batch=\"1\" image=\"\" index=\"0\"/>"
    "<Prize id=\"1\" name=\"B\" content=\"\" count=\"1\" batch=\"1\" image=\"\" index=\"1\"/>");
const QByteArray kHead = "<?xml version=\"1.0\" encoding=\"GB2312\"?><Vantoria><PrizeList>";

QByteArray DeepNesting() {
    QByteArray s = "<?xml version=\"1.0\"?><Vantoria>";
    for (int i = 0; i < 10000; ++i) s += "<a>";
    for (int i = 0; i < 10000; ++i) s += "</a>";
    return s + "</Vantoria>";
}
}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedDataFile,
    ::testing::Values(
        DamagedCase{"truncated", kHead + kTwoPrizes + "</PrizeList><Setting><Tit", 0},
        DamagedCase{
            "missing attribute",
            kHead + kTwoPrizes +
                "<Prize id=\"2\" name=\"C\" count=\"1\" batch=\"1\" image=\"\" index=\"2\"/>"
                "<Prize id=\"3\" name=\"D\" content=\"\" count=\"1\" batch=\"1\" image=\"\" "
                "index=\"3\"/></PrizeList></Vantoria>",
            2},
        DamagedCase{"comment in a list", kHead + kTwoPrizes + "<!-- x --></PrizeList></Vantoria>",
                    2},
        DamagedCase{"text in a list", kHead + kTwoPrizes + "oops</PrizeList></Vantoria>", 2},
        DamagedCase{"image without index",
                    kHead + kTwoPrizes +
                        "</PrizeList><Setting><Image/><Title>late</Title></Setting>"
                        "</Vantoria>",
                    2},
        DamagedCase{"not xml", QByteArray("\x89PNG\r\n\x1a\n\0\0\0garbage", 16), 0},
        DamagedCase{"empty", QByteArray(), 0}, DamagedCase{"deep nesting", DeepNesting(), 0}));

TEST(DataFile, ExternalEntitiesAreNeverFetched) {
    TestFolder dir;
    dir.Write("secret.txt", "TOP-SECRET");
    const QByteArray xml =
        "<?xml version=\"1.0\"?><!DOCTYPE Vantoria [<!ENTITY x SYSTEM \"file://" +
        dir.File("secret.txt").toUtf8() +
        "\">]><Vantoria><Setting><Title>&x;</Title></Setting></Vantoria>";
    dir.Write("data.xml", xml);
    AppData data(dir.Path());
    EXPECT_FALSE(data.Title().contains("TOP-SECRET"));
}

TEST(DataFile, BillionLaughsFailsCleanly) {
    TestFolder dir;
    QByteArray xml = "<?xml version=\"1.0\"?><!DOCTYPE Vantoria [<!ENTITY a \"aaaaaaaaaa\">";
    for (char c = 'b'; c <= 'k'; ++c) {
        xml += QByteArray("<!ENTITY ") + c + " \"";
        for (int i = 0; i < 10; ++i) xml += QByteArray("&") + char(c - 1) + ";";
        xml += "\">";
    }
    xml += "]><Vantoria><Setting><Title>&k;</Title></Setting></Vantoria>";
    dir.Write("data.xml", xml);
    AppData data(dir.Path());
    EXPECT_LT(data.Title().size(), 1000000);
}

// A pretty-printed or hand-edited file has white space inside its lists, even empty ones.
TEST(DataFile, WhiteSpaceInsideListsIsNotAnError) {
    TestFolder dir;
    dir.WriteGbk("data.xml", Wrap("<PrizeList>\n  </PrizeList>\n<Setting>\n  <Title>年会</Title>\n"
                                  "  <AllowRepeat>1</AllowRepeat>\n</Setting>\n<WinnerList>\n"
                                  "  <Winner prize=\"0\" candidate=\"1\" show=\"A\" time=\"t\"/>\n"
                                  "</WinnerList>"));
    AppData data{QString(), QString()};
    EXPECT_TRUE(data.LoadDataFile(dir.File("data.xml"), false));
    EXPECT_EQ(data.Title(), QStringLiteral("年会"));
    EXPECT_TRUE(data.AllowRepeat());
    EXPECT_EQ(data.WinnerCount(0), 1);
}

TEST(DataFile, AFailedWriteKeepsTheOldFile) {
    TestFolder dir;
    {
        AppData data(dir.Path());
        data.SetTitle("old");
        ASSERT_TRUE(data.Save(AppData::kSaveData));
    }
    const QByteArray before = dir.Read("data.xml");
    {
        AppData data(dir.Path());
        data.SetTitle("new");
        AtomicFileWriter::SimulateFailureAfter(10);
        EXPECT_FALSE(data.Save(AppData::kSaveData));
        EXPECT_FALSE(data.Save(AppData::kSaveCandidates | AppData::kSaveData));
        EXPECT_EQ(dir.Read("data.xml"), before);
        AtomicFileWriter::SimulateFailureAfter(-1);
    }
    AppData data(dir.Path());
    EXPECT_EQ(data.Title(), "new");  // the destructor's save went through
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files).size(), 2);  // no temporary files left
}

// A prize's rules are children that older files lack. A scope this program does not know
// (field or mode) counts as everyone and is written back as it was.
TEST(DataFile, PrizeRulesRoundTripAndUnknownScopesAreKept) {
    struct Case {
        const char* what;
        PrizeScope scope;
        int32_t repeat;
        bool limits;
    };
    const std::vector<Case> cases = {
        {"none", PrizeScope{}, Prize::kRepeatGlobal, false},
        {"only two departments", PrizeScope{"department", "only", {"研发部", "市场部"}}, 1, true},
        {"all but a group", PrizeScope{"group", "except", {"外包"}}, 0, true},
        {"an unknown field", PrizeScope{"city", "only", {"上海"}}, Prize::kRepeatGlobal, false},
        {"an unknown mode", PrizeScope{"group", "mostly", {"外包"}}, 1, false},
        {"no value", PrizeScope{"department", "only", {}}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestFolder dir;
        {
            AppData data(dir.Path());
            const int32_t id = data.AddPrize("奖", "", 1, 1, "", 0);
            data.FindPrize(id)->scope = c.scope;
            data.FindPrize(id)->repeat = c.repeat;
        }
        AppData back(dir.Path());
        back.SetReadOnly(true);
        const Prize* p = back.FindPrize(0);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->scope.field, c.scope.field);
        EXPECT_EQ(p->scope.mode, c.scope.mode);
        EXPECT_EQ(p->scope.values, c.scope.values);
        EXPECT_EQ(p->repeat, c.repeat);
        EXPECT_EQ(p->scope.Limits(), c.limits);
    }
}
