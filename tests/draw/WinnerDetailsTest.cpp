#include <gtest/gtest.h>

#include <memory>

#include "draw/RecordKeeper.h"
#include "draw/WinnerDetails.h"
#include "model/AppData.h"
#include "model/WinnerRemoval.h"
#include "support/TestFolder.h"

namespace {

QString S(const char16_t* text) {
    return QString::fromUtf16(text);
}

class WinnerDetailsTest : public ::testing::Test {
  protected:
    WinnerDetailsTest() : data_(dir_.Path()), keeper_(data_) {}

    Winner* Win(int32_t prize, const Candidate* c, int second) {
        auto w = std::make_unique<Winner>(
            Winner{prize, c->id, c->name + QLatin1Char(' ') + c->department,
                   QStringLiteral("2026-12-24 20:00:%1").arg(second, 2, 10, QLatin1Char('0'))});
        Winner* raw = w.get();
        data_.AddWinner(std::move(w));
        return raw;
    }
    static QString Line(const QStringList& cells) { return cells.join(QLatin1Char('|')); }

    TestFolder dir_;
    AppData data_;
    RecordKeeper keeper_;
};

// Winners standing, voided and deleted come back in the order they were drawn, each with the
// candidate's own fields; what was cleared with the list before does not.
TEST_F(WinnerDetailsTest, EveryWinnerOfTheEveningWithWhatBecameOfThem) {
    data_.ClearCandidates();
    data_.ClearWinners();
    const int32_t first = data_.AddPrize(S(u"一等奖"), S(u"电脑"), 3, 1, QString(), 0);
    const int32_t second = data_.AddPrize(S(u"二等奖"), S(u"手机"), 3, 1, QString(), 1);
    Candidate* early = data_.AddCandidate("E1", S(u"旧人"), S(u"行政部"), "", 0);
    data_.RemoveWinner(Win(first, early, 1), AppData::Removal::Voided);
    Win(second, early, 2);
    data_.ClearCandidates();  // the earlier evening goes with the list

    Candidate* wang = data_.AddCandidate("0001", S(u"王磊"), S(u"研发中心"), "13800138000", 1);
    Candidate* li = data_.AddCandidate("0002", S(u"李娜"), S(u"市场部"), "13900139000", 2);
    Candidate* zhao = data_.AddCandidate("0003", S(u"赵敏"), S(u"财务部"), "", 3);
    // A candidate no longer on the list keeps the text the room saw.
    Candidate gone;
    gone.id = 9999;
    gone.name = S(u"钱多");
    gone.department = S(u"采购部");
    Win(second, li, 30);
    data_.RemoveWinner(Win(first, wang, 10), AppData::Removal::Voided);
    Win(first, zhao, 20);
    data_.RemoveWinner(Win(second, &gone, 40), AppData::Removal::Deleted);
    {
        // A round cut short by a crash, voided when the program came back.
        WinnerRemoval cut;
        cut.kind = WinnerRemoval::Kind::Voided;
        cut.winner = Winner{second, zhao->id, S(u"赵敏 财务部"), "2026-12-24 20:00:50"};
        cut.reason = QStringLiteral("interrupted");
        data_.TellRemoval(std::move(cut));
    }

    WinnerDetails::Sheet sheet = WinnerDetails::Build(data_);
    EXPECT_EQ(Line(sheet.titles), S(u"奖项|奖品|工号|姓名|部门|手机|中奖时间|状态"));
    EXPECT_EQ(sheet.timeColumn, 6);
    QStringList lines;
    for (const QStringList& row : sheet.rows) lines << Line(row);
    EXPECT_EQ(lines,
              QStringList({S(u"一等奖|电脑|0001|王磊|研发中心|13800138000|2026-12-24 20:00:10|"
                             u"作废: 未到场"),
                           S(u"一等奖|电脑|0003|赵敏|财务部||2026-12-24 20:00:20|中奖"),
                           S(u"二等奖|手机|0002|李娜|市场部|13900139000|2026-12-24 20:00:30|中奖"),
                           S(u"二等奖|手机||钱多 采购部|||2026-12-24 20:00:40|已删除"),
                           S(u"二等奖|手机|0003|赵敏|财务部||2026-12-24 20:00:50|作废: 程序中断")}))
        << lines.join(QLatin1Char('\n')).toStdString();

    // A group column appears once anybody has one.
    li->group = S(u"外包");
    sheet = WinnerDetails::Build(data_);
    EXPECT_EQ(Line(sheet.titles), S(u"奖项|奖品|工号|姓名|部门|手机|分组|中奖时间|状态"));
    EXPECT_EQ(sheet.timeColumn, 7);
    EXPECT_EQ(sheet.rows[2][6], S(u"外包"));
    EXPECT_EQ(sheet.rows[0][6], QString());
}

}  // namespace
