#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <set>

#include "ScriptedShow.h"
#include "draw/DrawEngine.h"
#include "draw/DrawRecord.h"
#include "draw/DrawVerifier.h"
#include "draw/ListReplacement.h"
#include "draw/ShowHost.h"
#include "draw/ShowKeys.h"
#include "model/AppData.h"
#include "model/Winner.h"
#include "support/TestFolder.h"

// Rules per prize: who may win it, whether earlier winners may, and who never takes part. Each
// prize draws from its own pool; the rules are sealed in the record and checked by --verify.

namespace {

ShowKeys::Key KeyFrom(std::mt19937_64& rng) {
    ShowKeys::Key key;
    for (size_t i = 0; i < key.size(); i += 8) {
        const uint64_t v = rng();
        for (size_t b = 0; b < 8; ++b) key[i + b] = static_cast<uint8_t>(v >> (8 * b));
    }
    return key;
}

using Host = ScriptedHost;

void Play(DrawEngine& engine, int rounds = 1 << 30) {
    PlayShow(engine, rounds);
}

PrizeScope Only(const QString& field, const QStringList& values) {
    return PrizeScope{field, QStringLiteral("only"), values};
}

class Party {
  public:
    explicit Party(int people) {
        QDir(dir.Path()).mkpath("music");
        dir.Write("music/default.mp3", "ID3");
        data = std::make_unique<AppData>(dir.Path());
        engine = std::make_unique<DrawEngine>(*data);
        engine->SetKeyChainLength(8);
        static const char16_t* const kDepartments[] = {u"研发部", u"市场部", u"财务部",
                                                       u"董事会办公室"};
        for (int i = 0; i < people; ++i) {
            Candidate* c =
                data->AddCandidate(QString::number(1000 + i), QStringLiteral("员工%1").arg(i),
                                   QString::fromUtf16(kDepartments[i % 4]), "", i);
            c->group = i % 10 == 0 ? QStringLiteral("2026届") : QStringLiteral("正式员工");
            c->excluded = i % 4 == 3;  // the board never takes part
        }
        data->SetFieldType(1, true);
    }
    Prize& AddPrize(const QString& name, int count, int batch, int index) {
        return *data->FindPrize(data->AddPrize(name, "", count, batch, "", index));
    }
    QList<QByteArray> Lines() const {
        QList<QByteArray> lines = dir.Read("draw-record.jsonl").split('\n');
        if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();
        return lines;
    }
    // Writes the lines back with every hash renewed, as a forger who knows the format would.
    void Rechain(QList<QByteArray> lines) const {
        QByteArray out;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QJsonObject o = QJsonDocument::fromJson(lines[i]).object();
            if (i > 0) o["prev"] = DrawRecord::LineHash(lines[i - 1]);
            lines[i] = QJsonDocument(o).toJson(QJsonDocument::Compact);
            out += lines[i] + '\n';
        }
        dir.Write("draw-record.jsonl", out);
    }

    TestFolder dir;
    std::unique_ptr<AppData> data;
    std::unique_ptr<DrawEngine> engine;
    Host host;
};

}  // namespace

// A prize for one department of a 20,000-person room: every member who takes part wins equally
// often (seed 20261209), those left out never do, and a prize that refuses earlier winners
// takes nobody who already won.
TEST(PrizeRules, OneDepartmentWinsEquallyTheExcludedNeverAndEarlierWinnersNotTwice) {
    TestFolder dir;
    QDir(dir.Path()).mkpath("music");
    dir.Write("music/default.mp3", "ID3");
    AppData data(dir.Path());
    data.SetReadOnly(true);
    data.SetAllowRepeat(true);
    for (int i = 0; i < 20000; ++i) {
        Candidate* c =
            data.AddCandidate(QString::number(i), "", i % 100 == 7 ? "研发部" : "其他", "", i);
        c->excluded = i % 1000 == 7;  // 20 of the 200 in 研发部
    }
    const int rounds = 3600;
    const int32_t dept = data.AddPrize("研发部专属奖", "", rounds, rounds, "", 0);
    data.FindPrize(dept)->scope = Only("department", {"研发部"});
    data.FindPrize(dept)->repeat = 1;
    const int32_t once = data.AddPrize("普照奖", "", 300, 30, "", 1);
    data.FindPrize(once)->repeat = 0;
    DrawEngine engine(data);
    engine.SetKeyChainLength(4);
    std::mt19937_64 rng(20261209);
    engine.SetSecretSource([&rng] { return KeyFrom(rng); });
    Host host;
    host.show = [&] { Play(engine); };
    ASSERT_TRUE(engine.StartDraw(host));

    std::map<int32_t, int> wins;
    for (const auto& w : *data.WinnersOfPrize(dept)) ++wins[w->candidate];
    ASSERT_EQ(data.WinnerCount(dept), rounds);
    int outside = 0;
    for (const auto& [id, n] : wins) outside += id % 100 != 7 || id % 1000 == 7;
    EXPECT_EQ(outside, 0);
    // Chi-square over the 180 members; 243.3 is the 0.999 quantile with 179 degrees.
    const double expected = rounds / 180.0;
    double chi = 0;
    for (int i = 7; i < 20000; i += 100) {
        if (i % 1000 == 7) continue;
        const double d = wins[i] - expected;
        chi += d * d / expected;
    }
    std::cout << "chi-square of 180 members over " << rounds << " rounds: " << chi << "\n";
    EXPECT_LT(chi, 243.3);

    std::set<int32_t> onceWinners;
    for (const auto& w : *data.WinnersOfPrize(once)) {
        EXPECT_EQ(wins.count(w->candidate), 0u) << w->candidate;  // won the first prize
        EXPECT_TRUE(onceWinners.insert(w->candidate).second) << w->candidate;
        EXPECT_NE(w->candidate % 1000, 7);
    }
    EXPECT_EQ(onceWinners.size(), 300u);
}

TEST(PrizeRules, APrizeWhoseRuleMatchesNobodyStopsTheStartByName) {
    struct Case {
        const char* what;
        PrizeScope scope;
        int code;
    };
    const std::vector<Case> cases = {
        {"a department that no longer exists", Only("department", {"已撤销部门"}),
         DrawEngine::kNoneInScope},
        {"every department left out",
         PrizeScope{"department", "except", {"研发部", "市场部", "财务部"}},
         DrawEngine::kNoneInScope},
        {"only the board, who never take part", Only("department", {"董事会办公室"}),
         DrawEngine::kNoneInScope},
        {"a field this program does not know reads as everyone",
         PrizeScope{"city", "only", {"上海"}}, DrawEngine::kOk},
        {"a mode this program does not know reads as everyone",
         PrizeScope{"group", "mostly", {"外包"}}, DrawEngine::kOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Party party(40);
        party.AddPrize("一等奖", 1, 1, 0);
        party.AddPrize("新人奖", 2, 1, 1).scope = c.scope;
        EXPECT_EQ(party.engine->StartDraw(party.host), c.code == DrawEngine::kOk);
        EXPECT_EQ(party.data->DrawStatusCode(), c.code);
        if (c.code != DrawEngine::kOk) {
            EXPECT_EQ(party.data->DrawStatusDetail(), QStringLiteral("新人奖"));
        }
    }
}

// A prize of fewer people than places is asked about by name; the show as a whole is asked
// about in the words it always was.
TEST(PrizeRules, TheShortageQuestionNamesTheShortPrize) {
    Party party(40);  // 30 take part, 4 of them 2026届
    party.AddPrize("新人奖", 6, 1, 0).scope = Only("group", {"2026届"});
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    ASSERT_EQ(party.host.asked.size(), 1u);
    EXPECT_EQ(party.host.asked[0].prize, QStringLiteral("新人奖"));
    EXPECT_EQ(party.host.asked[0].slotsLeft, 6);
    EXPECT_EQ(party.host.asked[0].candidates, 4);

    Party crowd(8);  // 6 take part
    crowd.AddPrize("一等奖", 4, 1, 0);
    crowd.AddPrize("二等奖", 4, 1, 1);
    ASSERT_TRUE(crowd.engine->StartDraw(crowd.host));
    ASSERT_EQ(crowd.host.asked.size(), 1u);
    EXPECT_TRUE(crowd.host.asked[0].prize.isEmpty());
    EXPECT_EQ(crowd.host.asked[0].slotsLeft, 8);
    EXPECT_EQ(crowd.host.asked[0].candidates, 6);
}

// The show's start carries every rule and who takes part; its fingerprint commits to them, and
// the verifier replays each prize from its sealed pool and names a winner the rule did not
// allow, even in a record whose hash chain a forger renewed.
TEST(PrizeRules, TheRulesAreSealedAnnouncedInTheReportAndChecked) {
    Party party(80);
    party.AddPrize("研发新人奖", 4, 2, 0).scope = Only("department", {"研发部"});
    Prize& grand = party.AddPrize("特等奖", 2, 1, 1);
    grand.repeat = 1;
    QString fingerprint;
    party.host.show = [&] {
        fingerprint = party.engine->Round()->fingerprint;
        Play(*party.engine);
    };
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    for (const auto& w : *party.data->WinnersOfPrize(0)) EXPECT_EQ(w->candidate % 4, 0);

    const QList<QByteArray> lines = party.Lines();
    const QJsonObject start = QJsonDocument::fromJson(lines.front()).object();
    ASSERT_TRUE(start["seal"].isObject());
    EXPECT_EQ(start["seal"]["excluded"].toArray().size(), 20);  // 20 runs of one
    // Not the commitment alone: the fingerprint covers the rules too.
    EXPECT_NE(fingerprint, ShowKeys::Fingerprint([&] {
                  ShowKeys::Key k;
                  ShowKeys::FromHex(start["commit"].toString(), k);
                  return k;
              }()));

    DrawVerifier::Report report = DrawVerifier::Verify(party.dir.Path());
    ASSERT_EQ(report.outcome, DrawVerifier::kPassed) << report.lines.join('\n').toStdString();
    const QString text = report.lines.join('\n');
    EXPECT_TRUE(report.lines[0].contains(fingerprint)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("不参与抽奖：20 人"))) << text.toStdString();
    EXPECT_TRUE(
        text.contains(QStringLiteral("奖项“研发新人奖”：本奖项仅限：研发部（范围内 20 人）")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("奖项“特等奖”：已中奖者可参与")))
        << text.toStdString();

    // A winner of the department's prize changed to someone of another department.
    QList<QByteArray> forged = lines;
    for (QByteArray& line : forged) {
        QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o["type"] != "round" || o["prize"].toInt() != 0) continue;
        QJsonArray winners = o["winners"].toArray();
        winners[0] = QJsonArray{1, QStringLiteral("员工1")};
        o["winners"] = winners;
        line = QJsonDocument(o).toJson(QJsonDocument::Compact);
        break;
    }
    party.data->SetReadOnly(true);
    party.Rechain(forged);
    report = DrawVerifier::Verify(party.dir.Path());
    EXPECT_EQ(report.outcome, DrawVerifier::kDiffers);
    EXPECT_TRUE(
        report.lines.join('\n').contains(QStringLiteral("中奖者“员工1”不在本奖项的抽奖范围内")))
        << report.lines.join('\n').toStdString();

    // The rules widened after the fact: the fingerprint the room saw no longer matches.
    forged = lines;
    QJsonObject o = QJsonDocument::fromJson(forged[0]).object();
    QJsonObject seal = o["seal"].toObject();
    seal["excluded"] = QJsonArray();
    o["seal"] = seal;
    forged[0] = QJsonDocument(o).toJson(QJsonDocument::Compact);
    party.Rechain(forged);
    report = DrawVerifier::Verify(party.dir.Path());
    EXPECT_FALSE(report.lines[0].contains(fingerprint)) << report.lines[0].toStdString();
}

// Leaving the show window pauses the show; the next start resumes it with the same keys and
// fingerprint, so one show covers the evening. It ends when every prize is drawn, when the
// operator ends it, or when the people or the rules changed meanwhile; a rehearsal in
// between leaves it as it was.
TEST(ShowSessions, LeavingPausesAndTheNextStartResumesTheSameShow) {
    Party party(60);
    const int32_t first = party.AddPrize("一等奖", 4, 2, 0).id;
    party.AddPrize("二等奖", 6, 3, 1);
    QString seen;
    party.host.show = [&] {
        seen = party.engine->Round()->fingerprint;
        Play(*party.engine, 2);
    };
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    ASSERT_TRUE(party.engine->HasPausedShow());
    const QString fingerprint = seen;
    EXPECT_EQ(party.engine->PausedFingerprint(), fingerprint);

    // A rehearsal draws with keys of its own and writes nothing.
    const qsizetype lines = party.Lines().size();
    const auto mark = party.data->WinnerMark();
    party.data->SetReadOnly(true);
    party.engine->SetRehearsal(true);
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    party.engine->SetRehearsal(false);
    party.data->SetReadOnly(false);
    EXPECT_NE(seen, fingerprint);
    EXPECT_EQ(party.Lines().size(), lines);
    EXPECT_EQ(party.engine->PausedFingerprint(), fingerprint);
    party.data->TrimWinnersTo(mark);

    // A winner deleted while paused; then the same show goes on to its end.
    party.data->RemoveWinner(party.data->WinnersOfPrize(first)->front().get());
    party.host.show = [&] {
        seen = party.engine->Round()->fingerprint;
        Play(*party.engine);
    };
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    EXPECT_EQ(seen, fingerprint);
    EXPECT_FALSE(party.engine->HasPausedShow());
    QStringList types;
    for (const QByteArray& line : party.Lines())
        types << QJsonDocument::fromJson(line).object()["type"].toString();
    EXPECT_EQ(types.count("show"), 1);
    EXPECT_EQ(types.count("pause"), 1);
    EXPECT_EQ(types.count("resume"), 1);
    EXPECT_EQ(types.back(), "end");
    DrawVerifier::Report report = DrawVerifier::Verify(party.dir.Path());
    EXPECT_EQ(report.outcome, DrawVerifier::kPassed) << report.lines.join('\n').toStdString();
    EXPECT_TRUE(report.lines[0].contains(fingerprint));
    EXPECT_TRUE(report.lines[0].contains(QStringLiteral("（其中 1 人已删除）")));
}

// Left while the names rolled, twice, then resumed to the end: the pauses reveal the keys those
// rolls had taken, so every later round still links to the fingerprint; a forged left key or
// one left out breaks the show's check.
TEST(ShowSessions, LeavingWhileTheNamesRollKeepsTheShowVerifiable) {
    Party party(40);
    party.AddPrize("一等奖", 4, 2, 0);
    party.AddPrize("二等奖", 3, 1, 1);
    auto leaveRolling = [&] {
        Play(*party.engine, 1);
        party.engine->AdvanceStep();
        party.engine->AdvanceStep();
        ASSERT_EQ(party.engine->Round()->state, RoundState::kRolling);
        for (int t = 0; t < 7; ++t) party.engine->RollSelection();
    };
    party.host.show = leaveRolling;
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    party.host.show = [&] {
        party.engine->AdvanceStep();
        party.engine->AdvanceStep();
        for (int t = 0; t < 3; ++t) party.engine->RollSelection();
    };
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    party.host.show = [&] { Play(*party.engine); };
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    ASSERT_FALSE(party.engine->HasPausedShow());

    const QList<QByteArray> lines = party.Lines();
    int left = 0;
    for (const QByteArray& line : lines)
        if (QJsonDocument::fromJson(line).object().contains("left_key")) ++left;
    EXPECT_EQ(left, 2);
    DrawVerifier::Report report = DrawVerifier::Verify(party.dir.Path());
    ASSERT_EQ(report.outcome, DrawVerifier::kPassed) << report.lines.join('\n').toStdString();

    party.data->SetReadOnly(true);
    for (const char* change : {"forged", "dropped"}) {
        SCOPED_TRACE(change);
        QList<QByteArray> forged = lines;
        for (QByteArray& line : forged) {
            QJsonObject o = QJsonDocument::fromJson(line).object();
            if (!o.contains("left_key")) continue;
            if (QByteArray(change) == "forged") {
                o["left_key"] = QString(64, QLatin1Char('0'));
            } else {
                o.remove("left_key_index");
                o.remove("left_key");
            }
            line = QJsonDocument(o).toJson(QJsonDocument::Compact);
            break;
        }
        party.Rechain(forged);
        report = DrawVerifier::Verify(party.dir.Path());
        EXPECT_EQ(report.outcome, DrawVerifier::kDiffers) << report.lines.join('\n').toStdString();
    }
}

TEST(ShowSessions, ChangedRulesEndThePausedShowAndEndingItRevealsTheSecret) {
    Party party(60);
    Prize& prize = party.AddPrize("一等奖", 6, 3, 0);
    QString seen;
    party.host.show = [&] {
        seen = party.engine->Round()->fingerprint;
        Play(*party.engine, 1);
    };
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    const QString before = seen;
    prize.scope = Only("department", {"研发部"});
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    EXPECT_NE(seen, before);  // a new show under the new rule
    ASSERT_TRUE(party.engine->HasPausedShow());
    party.engine->EndShow();
    EXPECT_FALSE(party.engine->HasPausedShow());
    QStringList types;
    for (const QByteArray& line : party.Lines())
        types << QJsonDocument::fromJson(line).object()["type"].toString();
    EXPECT_EQ(types,
              QStringList({"show", "round", "pause", "end", "show", "round", "pause", "end"}));
    const DrawVerifier::Report report = DrawVerifier::Verify(party.dir.Path());
    EXPECT_EQ(report.outcome, DrawVerifier::kPassed) << report.lines.join('\n').toStdString();
}

// 替换名单 on the day: people whose draw key is on the corrected list keep their ids, so their
// wins stand and the earlier show still verifies; a winner left off the list is deleted and told
// to the record; new people get ids nobody had, in the file's order.
TEST(ListReplacementTest, WinnersOnTheNewListStayAndTheShowStillVerifies) {
    Party party(12);
    party.AddPrize("一等奖", 4, 1, 0);
    party.host.show = [&] { Play(*party.engine); };
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    std::vector<Winner*> winners;
    party.data->WinnersInDrawOrder(winners);
    ASSERT_EQ(winners.size(), 4u);
    int32_t highest = 0;
    for (const auto& c : party.data->Candidates()) highest = std::max(highest, c->id);

    // The corrected file: every winner but the last, a department mended, two newcomers of
    // whom the second repeats a kept name.
    std::vector<ListReplacement::Row> rows;
    std::vector<int32_t> keptIds;
    for (size_t i = 0; i + 1 < winners.size(); ++i) {
        const Candidate* c = party.data->FindCandidate(winners[i]->candidate);
        rows.push_back({c->NO, c->name, QStringLiteral("新部门"), c->tel, QString(), false});
        keptIds.push_back(c->id);
    }
    const QString droppedName = party.data->FindCandidate(winners.back()->candidate)->name;
    rows.push_back({"9001", QStringLiteral("新人甲"), QStringLiteral("研发部"), "", "外包", false});
    rows.push_back({"9002", rows.front().name, QStringLiteral("研发部"), "", QString(), true});

    ListReplacement replacement(*party.data, rows, 1);
    EXPECT_EQ(replacement.KeptWinners(), 3);
    EXPECT_EQ(replacement.DroppedWinners(), 1);
    EXPECT_EQ(replacement.Matched(), 3);
    replacement.Apply(*party.data);

    const auto& list = party.data->Candidates();
    ASSERT_EQ(list.size(), rows.size());
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i]->name, rows[i].name);
        EXPECT_EQ(list[i]->index, int(i));
        if (i < keptIds.size()) {
            EXPECT_EQ(list[i]->id, keptIds[i]);
        } else {
            EXPECT_GT(list[i]->id, highest);
        }
    }
    EXPECT_EQ(list[3]->group, QStringLiteral("外包"));
    EXPECT_TRUE(list[4]->excluded);
    EXPECT_EQ(party.data->TotalWinners(), 3u);
    EXPECT_EQ(party.data->FindCandidate(keptIds[0])->department, QStringLiteral("新部门"));

    party.data->Save(AppData::kSaveData | AppData::kSaveCandidates);
    DrawVerifier::Report report = DrawVerifier::Verify(party.dir.Path());
    EXPECT_EQ(report.outcome, DrawVerifier::kPassed) << report.lines.join('\n').toStdString();
    EXPECT_TRUE(report.lines[0].contains(QStringLiteral("（其中 1 人已删除）")))
        << report.lines.join('\n').toStdString();
    EXPECT_TRUE(party.Lines().back().contains(droppedName.toUtf8()));
}

// The running order chosen on the prize screen: the chosen prize is drawn next, every choice is
// in the record, and the replay holds the next round to it; a forged choice is caught.
TEST(ShowSessions, ThePrizeChosenToComeNextIsDrawnNextAndVerified) {
    Party party(40);
    const int32_t first = party.AddPrize("一等奖", 2, 1, 0).id;
    const int32_t second = party.AddPrize("二等奖", 3, 1, 1).id;
    Prize& third = party.AddPrize("研发新人奖", 2, 1, 2);
    third.scope = Only("department", {QStringLiteral("研发部")});
    std::vector<int32_t> seen;
    party.host.show = [&] {
        DrawEngine& engine = *party.engine;
        engine.AdvanceStep();  // the first prize's screen
        ASSERT_EQ(engine.Round()->prizeId, first);
        ASSERT_TRUE(engine.ChooseNextPrize(false));  // back: the last prize comes up
        seen.push_back(engine.Round()->prizeId);
        ASSERT_TRUE(engine.ChooseNextPrize(true));  // on again: the first
        seen.push_back(engine.Round()->prizeId);
        ASSERT_TRUE(engine.ChooseNextPrize(true));  // and on: the second
        seen.push_back(engine.Round()->prizeId);
        Play(engine);
    };
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    EXPECT_EQ(seen, (std::vector<int32_t>{third.id, first, second}));

    std::vector<int32_t> drawn;
    const QList<QByteArray> lines = party.Lines();
    for (const QByteArray& line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o["type"] == "round") drawn.push_back(o["prize"].toInt());
    }
    // Each prize stepped past goes to the end of what is left.
    EXPECT_EQ(drawn, (std::vector<int32_t>{second, third.id, first}));
    for (const auto& w : *party.data->WinnersOfPrize(third.id))
        EXPECT_EQ(party.data->FindCandidate(w->candidate)->department, QStringLiteral("研发部"));
    DrawVerifier::Report report = DrawVerifier::Verify(party.dir.Path());
    ASSERT_EQ(report.outcome, DrawVerifier::kPassed) << report.lines.join('\n').toStdString();

    // The last choice said the first prize, yet the second was drawn.
    QList<QByteArray> forged = lines;
    for (qsizetype i = forged.size() - 1; i >= 0; --i) {
        QJsonObject o = QJsonDocument::fromJson(forged[i]).object();
        if (o["type"] != "order" || o["prize"].toInt() != second) continue;
        o["prize"] = first;
        forged[i] = QJsonDocument(o).toJson(QJsonDocument::Compact);
        break;
    }
    party.data->SetReadOnly(true);
    party.Rechain(forged);
    report = DrawVerifier::Verify(party.dir.Path());
    EXPECT_EQ(report.outcome, DrawVerifier::kDiffers);
    EXPECT_TRUE(report.lines.join('\n').contains(QStringLiteral("不是操作员选定的下一个奖项")))
        << report.lines.join('\n').toStdString();
}

// Between two rounds of a prize the operator looks at another prize and comes back: the prize's
// pool is built anew both in the show and in the replay, so the rest of it still verifies.
TEST(ShowSessions, ComingBackToAPrizeBetweenItsRoundsStillVerifies) {
    Party party(40);
    const int32_t a = party.AddPrize("一等奖", 6, 3, 0).id;
    party.AddPrize("二等奖", 3, 1, 1);
    party.host.show = [&] {
        DrawEngine& engine = *party.engine;
        Play(engine, 1);       // the first round of 一等奖
        engine.AdvanceStep();  // its second round's prize screen
        ASSERT_EQ(engine.Round()->prizeId, a);
        ASSERT_TRUE(engine.ChooseNextPrize(true));
        ASSERT_TRUE(engine.ChooseNextPrize(false));
        ASSERT_EQ(engine.Round()->prizeId, a);
        Play(engine);
    };
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    EXPECT_EQ(party.data->WinnerCount(a), 6);
    const DrawVerifier::Report report = DrawVerifier::Verify(party.dir.Path());
    EXPECT_EQ(report.outcome, DrawVerifier::kPassed) << report.lines.join('\n').toStdString();
}

// 加奖: a prize added on the prize screen is stored, drawn next from everyone, sealed into the
// show so leaving and coming back resumes the same show, and verified; the record without the
// addition does not verify. Elsewhere, or malformed, nothing is added.
TEST(ShowSessions, APrizeAddedDuringTheShowIsDrawnNextAndVerified) {
    Party party(30);
    const int32_t first = party.AddPrize("一等奖", 2, 1, 0).id;
    int32_t added = -1;
    QString fingerprint;
    party.host.show = [&] {
        DrawEngine& engine = *party.engine;
        fingerprint = engine.Round()->fingerprint;
        EXPECT_EQ(engine.AddPrizeDuringShow("特别奖", "", 1, 1), -1);  // the welcome screen
        EXPECT_FALSE(engine.CanAddPrizeDuringShow());
        engine.AdvanceStep();
        EXPECT_TRUE(engine.CanAddPrizeDuringShow());
        EXPECT_FALSE(engine.CanChooseNextPrize());  // one prize: nothing to choose between
        EXPECT_EQ(engine.AddPrizeDuringShow(" ", "", 1, 1), -1);
        EXPECT_EQ(engine.AddPrizeDuringShow("特别奖", "", 2, 3), -1);
        added =
            engine.AddPrizeDuringShow(QStringLiteral("总经理特别奖"), QStringLiteral("红包"), 3, 1);
        ASSERT_GE(added, 0);
        EXPECT_EQ(engine.Round()->prizeId, added);
        EXPECT_EQ(engine.Round()->batchSize, 3);
        Play(engine, 1);  // its round, then leave
    };
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    ASSERT_TRUE(party.engine->HasPausedShow());
    EXPECT_EQ(party.engine->PausedFingerprint(), fingerprint);
    EXPECT_EQ(AppData(party.dir.Path()).FindPrize(added)->name, QStringLiteral("总经理特别奖"));
    party.host.show = [&] { Play(*party.engine); };
    ASSERT_TRUE(party.engine->StartDraw(party.host));
    EXPECT_EQ(party.data->WinnerCount(added), 3);
    EXPECT_EQ(party.data->WinnerCount(first), 2);

    const QList<QByteArray> lines = party.Lines();
    QStringList types;
    for (const QByteArray& line : lines)
        types << QJsonDocument::fromJson(line).object()["type"].toString();
    EXPECT_EQ(types,
              QStringList({"show", "prize_added", "round", "pause", "resume", "round", "end"}));
    DrawVerifier::Report report = DrawVerifier::Verify(party.dir.Path());
    ASSERT_EQ(report.outcome, DrawVerifier::kPassed) << report.lines.join('\n').toStdString();
    EXPECT_TRUE(report.lines.join('\n').contains(QStringLiteral("加奖“总经理特别奖”：3 人 1 轮")))
        << report.lines.join('\n').toStdString();

    QList<QByteArray> forged = lines;
    forged.removeAt(1);
    party.data->SetReadOnly(true);
    party.Rechain(forged);
    report = DrawVerifier::Verify(party.dir.Path());
    EXPECT_EQ(report.outcome, DrawVerifier::kDiffers);
}
