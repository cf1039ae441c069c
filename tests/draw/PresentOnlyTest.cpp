#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>
#include <set>

#include "ScriptedShow.h"
#include "draw/DrawEngine.h"
#include "draw/DrawRecord.h"
#include "draw/DrawVerifier.h"
#include "draw/ShowHost.h"
#include "model/AppData.h"
#include "model/Winner.h"
#include "support/TestFolder.h"

// Only the people who checked in take part: the room is fixed when the show starts, the seal
// names who was absent, and --verify replays it.

namespace {

void Play(DrawEngine& engine, int rounds = 1 << 30) {
    PlayShow(engine, rounds, 3);
}

// 60 people, every fourth not taking part; check-in on, only those present drawing.
struct Evening {
    Evening() {
        QDir(dir.Path()).mkpath("music");
        dir.Write("music/default.mp3", "ID3");
        data = std::make_unique<AppData>(dir.Path());
        engine = std::make_unique<DrawEngine>(*data);
        engine->SetKeyChainLength(8);
        for (int i = 0; i < 60; ++i) {
            Candidate* c = data->AddCandidate(QString::number(1000 + i),
                                              QStringLiteral("来宾%1").arg(i), "部门", "", i);
            c->excluded = i % 4 == 3;
        }
        data->SetFieldType(1, true);
        data->CheckIn().enabled = true;
        data->CheckIn().presentOnly = true;
    }
    void CheckIn(int from, int to) {
        for (int i = from; i < to; ++i)
            if (i % 4 != 3)
                data->CheckIns().Add(data->Candidates()[size_t(i)]->id, "",
                                     CheckInLog::Source::Hand);
    }
    std::set<int32_t> Winners() const {
        std::set<int32_t> ids;
        for (const auto& [prize, winners] : data->Winners())
            for (const auto& w : winners) ids.insert(w->candidate);
        return ids;
    }
    QJsonObject FirstLine() const {
        return QJsonDocument::fromJson(dir.Read("draw-record.jsonl").split('\n').front()).object();
    }

    TestFolder dir;
    std::unique_ptr<AppData> data;
    std::unique_ptr<DrawEngine> engine;
    ScriptedHost host;
};

}  // namespace

TEST(PresentOnly, OnlyThoseCheckedInWinTheSealNamesTheAbsentAndTheReplayChecksIt) {
    Evening e;
    e.data->AddPrize("签到奖", "", 12, 4, "", 0);
    e.CheckIn(0, 24);  // 18 of the 45 who take part
    QString fingerprint;
    e.host.show = [&] {
        fingerprint = e.engine->Round()->fingerprint;
        Play(*e.engine);
    };
    ASSERT_TRUE(e.engine->StartDraw(e.host));
    ASSERT_EQ(e.host.confirmed.size(), 1u);
    EXPECT_EQ(e.host.confirmed[0], std::make_pair(int64_t(18), int64_t(45)));
    const std::set<int32_t> winners = e.Winners();
    EXPECT_EQ(winners.size(), 12u);
    for (int32_t id : winners) EXPECT_TRUE(e.data->CheckIns().Contains(id)) << id;

    const QJsonObject seal = e.FirstLine()["seal"].toObject();
    EXPECT_TRUE(seal["present_only"].toBool());
    EXPECT_TRUE(seal.contains("absent"));

    DrawVerifier::Report report = DrawVerifier::Verify(e.dir.Path());
    const QString text = report.lines.join('\n');
    ASSERT_EQ(report.outcome, DrawVerifier::kPassed) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("只有已签到的人参加：18 人（未签到 27 人）")))
        << text.toStdString();

    // Someone absent written into the room afterwards: the fingerprint the room saw no
    // longer matches the record.
    QList<QByteArray> lines = e.dir.Read("draw-record.jsonl").split('\n');
    QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
    QJsonObject forged = first["seal"].toObject();
    forged["present_only"] = false;
    forged.remove("absent");
    first["seal"] = forged;
    lines[0] = QJsonDocument(first).toJson(QJsonDocument::Compact);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty()) continue;
        QJsonObject o = QJsonDocument::fromJson(lines[i]).object();
        o["prev"] = DrawRecord::LineHash(lines[i - 1]);
        lines[i] = QJsonDocument(o).toJson(QJsonDocument::Compact);
    }
    e.data->SetReadOnly(true);
    e.dir.Write("draw-record.jsonl", lines.join('\n'));
    report = DrawVerifier::Verify(e.dir.Path());
    EXPECT_FALSE(report.lines.join('\n').contains(fingerprint));
}

// Guests who check in while the show is paused wait for the next show: the paused one resumes
// with the room it began with, under the same fingerprint.
TEST(PresentOnly, CheckingInDuringAPauseLeavesTheShowAsItBegan) {
    Evening e;
    e.data->AddPrize("一等奖", "", 4, 2, "", 0);
    e.data->AddPrize("二等奖", "", 6, 3, "", 1);
    e.CheckIn(0, 20);
    std::vector<QString> fingerprints;
    e.host.show = [&] {
        fingerprints.push_back(e.engine->Round()->fingerprint);
        Play(*e.engine, 1);
    };
    ASSERT_TRUE(e.engine->StartDraw(e.host));
    const size_t firstRoom = e.engine->Pools().Room().size();
    e.CheckIn(20, 60);
    e.host.show = [&] {
        fingerprints.push_back(e.engine->Round()->fingerprint);
        EXPECT_EQ(e.engine->Pools().Room().size(), firstRoom);
        Play(*e.engine);
    };
    ASSERT_TRUE(e.engine->StartDraw(e.host));
    ASSERT_EQ(fingerprints.size(), 2u);
    EXPECT_EQ(fingerprints[0], fingerprints[1]);
    for (int32_t id : e.Winners()) EXPECT_LT(id, e.data->Candidates()[20]->id) << id;
    const DrawVerifier::Report report = DrawVerifier::Verify(e.dir.Path());
    EXPECT_EQ(report.outcome, DrawVerifier::kPassed) << report.lines.join('\n').toStdString();
}

TEST(PresentOnly, NobodyCheckedInDecliningOrCheckInOffEachStartAsTheyShould) {
    {
        Evening e;
        e.data->AddPrize("奖", "", 2, 1, "", 0);
        EXPECT_FALSE(e.engine->StartDraw(e.host));
        EXPECT_EQ(e.data->DrawStatusCode(), DrawEngine::kNobodyPresent);
        EXPECT_TRUE(e.host.confirmed.empty());
    }
    {
        Evening e;
        e.data->AddPrize("奖", "", 2, 1, "", 0);
        e.CheckIn(0, 8);
        e.host.startWithThosePresent = false;
        EXPECT_FALSE(e.engine->StartDraw(e.host));
        EXPECT_EQ(e.data->DrawStatusCode(), DrawEngine::kOperatorDeclined);
    }
    {
        // Check-in turned off: "only those present" no longer applies; everyone draws.
        Evening e;
        e.data->AddPrize("奖", "", 2, 1, "", 0);
        e.data->CheckIn().enabled = false;
        e.host.show = [&] {
            EXPECT_EQ(e.engine->Pools().Room().size(), 45u);
            Play(*e.engine);
        };
        ASSERT_TRUE(e.engine->StartDraw(e.host));
        EXPECT_TRUE(e.host.confirmed.empty());
        EXPECT_FALSE(e.FirstLine()["seal"].toObject().contains("present_only"));
    }
}
