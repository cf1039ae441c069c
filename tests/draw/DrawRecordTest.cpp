#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>
#include <iostream>
#include <memory>

#include "draw/DrawEngine.h"
#include "draw/DrawRecord.h"
#include "draw/DrawRecordReader.h"
#include "draw/DrawVerifier.h"
#include "draw/RecordKeeper.h"
#include "draw/ShowHost.h"
#include "draw/ShowKeys.h"
#include "model/AppData.h"
#include "model/AtomicFileWriter.h"
#include "support/TestFolder.h"

namespace {

QList<QByteArray> LinesOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QList<QByteArray> lines = f.readAll().split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();
    return lines;
}

void WriteLines(const QString& path, const QList<QByteArray>& lines) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (const QByteArray& l : lines) f.write(l + '\n');
}

QJsonObject EventOf(const QByteArray& line) {
    return QJsonDocument::fromJson(line).object();
}

class Host : public ShowHost {
  public:
    std::function<void(DrawEngine&)> show;
    DrawEngine* engine = nullptr;
    bool AskToContinue(const Shortage&) override { return true; }
    void RunShow() override {
        if (show) show(*engine);
    }
};

// A folder with people and prizes whose shows leave a draw record.
class Event {
  public:
    explicit Event(int people = 30) {
        QDir(dir.Path()).mkpath("music");
        dir.Write("music/default.mp3", "ID3");
        data = std::make_unique<AppData>(dir.Path());
        engine = std::make_unique<DrawEngine>(*data);
        engine->SetKeyChainLength(64);
        host.engine = engine.get();
        for (int i = 0; i < people; ++i)
            data->AddCandidate(QString::number(1000 + i), QStringLiteral("员工%1").arg(i), "部", "",
                               i);
        data->SetFieldType(1, true);
    }
    // Steps through the show; rolls a few ticks on every rolling screen; stops after
    // 'rounds' committed rounds (or at the end).
    void RunShow(int rounds = 1000) {
        host.show = [rounds](DrawEngine& engine) {
            int kept = 0;
            while (engine.Round()->state != RoundState::kFinished) {
                if (engine.Round()->state == RoundState::kWinners && ++kept >= rounds) return;
                engine.AdvanceStep();
                if (engine.Round()->state == RoundState::kRolling)
                    for (int t = 0; t < 17; ++t) engine.RollSelection();
            }
        };
        ASSERT_TRUE(engine->StartDraw(host));
    }
    QString Record() const { return data->DrawRecordPath(); }
    DrawVerifier::Report Verify() const { return DrawVerifier::Verify(dir.Path()); }

    TestFolder dir;
    std::unique_ptr<AppData> data;
    std::unique_ptr<DrawEngine> engine;
    Host host;
};

}  // namespace

TEST(DrawRecord, EachLineNamesTheHashOfTheLineBefore) {
    TestFolder dir;
    DrawRecord record(dir.File("r.jsonl"));
    // The middle line is longer than the reader takes in one piece.
    const QString longText(200000, QLatin1Char('z'));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(
            record.Append(QJsonObject{{"type", "clear"}, {"note", i == 1 ? longText : ""}}));
    const auto lines = LinesOf(dir.File("r.jsonl"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(EventOf(lines[0])["prev"].toString(), QString());
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(EventOf(lines[i])["prev"].toString(), DrawRecord::LineHash(lines[i - 1]));
        EXPECT_EQ(EventOf(lines[i])["seq"].toInt(), i);
    }
    // A second writer (the next run) continues the same chain.
    DrawRecord next(dir.File("r.jsonl"));
    ASSERT_TRUE(next.Append(QJsonObject{{"type", "clear"}}));
    const auto after = LinesOf(dir.File("r.jsonl"));
    EXPECT_EQ(EventOf(after[3])["prev"].toString(), DrawRecord::LineHash(after[2]));

    // The reader sees the same chain.
    QFile file(dir.File("r.jsonl"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    DrawRecordReader reader(file);
    DrawRecordReader::Line line;
    int read = 0;
    while (reader.Next(line)) {
        EXPECT_EQ(line.status, DrawRecordReader::Status::Ok) << line.number;
        ++read;
    }
    EXPECT_EQ(read, 4);
    EXPECT_EQ(EventOf(after[1])["note"].toString(), longText);
}

// A tail that cannot be continued keeps its bytes; the next line starts a new segment.
TEST(DrawRecord, AnUnusableTailStartsANewSegmentAndKeepsWhatWasThere) {
    struct Case {
        const char* tail;
        const char* reason;
    };
    for (const Case& c :
         {Case{"{\"v\":1,\"seq\":0,\"prev\":\"\",\"type\":\"cl", "torn"},
          Case{"not json at all\n", "damaged"},
          Case{"{\"v\":99,\"seq\":9,\"prev\":\"\",\"type\":\"x\"}\n", "other-version"}}) {
        SCOPED_TRACE(c.reason);
        TestFolder dir;
        dir.Write("r.jsonl", c.tail);
        DrawRecord record(dir.File("r.jsonl"));
        ASSERT_TRUE(record.Append(QJsonObject{{"type", "clear"}}));
        const QByteArray bytes = dir.Read("r.jsonl");
        EXPECT_TRUE(bytes.startsWith(c.tail));
        const auto lines = LinesOf(dir.File("r.jsonl"));
        const QJsonObject last = EventOf(lines.back());
        EXPECT_EQ(last["prev"].toString(), QString());
        EXPECT_EQ(last["restart"].toString(), QString::fromLatin1(c.reason));
    }
}

TEST(DrawRecord, ALineThatCannotBeWrittenIsWrittenWithTheNextOne) {
    TestFolder dir;
    const QString path = dir.File("gone/r.jsonl");
    DrawRecord record(path);
    EXPECT_FALSE(record.Append(QJsonObject{{"type", "clear"}, {"n", 1}}));
    EXPECT_FALSE(record.LastError().isEmpty());
    QDir(dir.Path()).mkpath("gone");  // the stick is back
    ASSERT_TRUE(record.Append(QJsonObject{{"type", "clear"}, {"n", 2}}));
    const auto lines = LinesOf(path);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(EventOf(lines[0])["n"].toInt(), 1);
    EXPECT_EQ(EventOf(lines[1])["prev"].toString(), DrawRecord::LineHash(lines[0]));

    // An fsync that fails after the bytes went out: written again, they must not stand twice.
    AtomicFileWriter::InjectFailure(AtomicFileWriter::Step::Sync, "r.jsonl");
    EXPECT_FALSE(record.Append(QJsonObject{{"type", "clear"}, {"n", 3}}));
    AtomicFileWriter::ClearInjectedFailures();
    ASSERT_TRUE(record.Append(QJsonObject{{"type", "clear"}, {"n", 4}}));
    const auto after = LinesOf(path);
    ASSERT_EQ(after.size(), 4);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(EventOf(after[i])["n"].toInt(), i + 1);
        EXPECT_EQ(EventOf(after[i])["prev"].toString(), DrawRecord::LineHash(after[i - 1]));
    }
}

TEST(DrawVerifier, RealShowsWithDeletionsAndAClearedListVerify) {
    Event e;
    const int32_t a = e.data->AddPrize("一等奖", "电脑", 4, 2, "", 0);
    e.data->AddPrize("二等奖", "手机", 6, 3, "", 1);
    e.RunShow(2);  // Esc on a winners screen
    e.RunShow();
    // The operator deletes a winner on the winner page, then runs the rest.
    e.data->RemoveWinner(e.data->WinnersOfPrize(a)->front().get());
    e.data->Save(AppData::kSaveData);
    e.RunShow();

    DrawVerifier::Report report = e.Verify();
    EXPECT_EQ(report.outcome, DrawVerifier::kPassed) << report.lines.join('\n').toStdString();
    ASSERT_GE(report.lines.size(), 3);
    EXPECT_TRUE(report.lines[0].startsWith(QStringLiteral("第 1 场")));
    // The winner deleted later is told beside the show that drew it.
    EXPECT_TRUE(report.lines[0].endsWith(QStringLiteral("：通过（其中 1 人已删除）")))
        << report.lines[0].toStdString();

    // Each show committed to its key before its first roll and revealed it at the end.
    const auto lines = LinesOf(e.Record());
    const QJsonObject start = EventOf(lines.front());
    EXPECT_EQ(start["type"].toString(), "show");
    EXPECT_EQ(start["pool"].toArray().size(), 1);  // one run: everyone, in order
    EXPECT_EQ(EventOf(lines.back())["type"].toString(), "end");

    e.data->ClearCandidates();
    e.data->Save(AppData::kSaveCandidates | AppData::kSaveData);
    report = e.Verify();
    EXPECT_EQ(report.outcome, DrawVerifier::kPassed) << report.lines.join('\n').toStdString();
}

// Every kind of tampering is refused; files that cannot be read give their own outcome.
TEST(DrawVerifier, TamperingIsRefused) {
    struct Case {
        const char* what;
        std::function<void(Event&)> tamper;
        DrawVerifier::Outcome outcome;
    };
    auto editLine = [](Event& e, int index, const std::function<void(QJsonObject&)>& edit) {
        auto lines = LinesOf(e.Record());
        QJsonObject o = EventOf(lines[index]);
        edit(o);
        lines[index] = QJsonDocument(o).toJson(QJsonDocument::Compact);
        WriteLines(e.Record(), lines);
    };
    auto firstRound = [](Event& e) {
        const auto lines = LinesOf(e.Record());
        for (int i = 0; i < lines.size(); ++i)
            if (EventOf(lines[i])["type"].toString() == "round") return i;
        return -1;
    };
    const std::vector<Case> cases = {
        {"a winner of a recorded round changed",
         [&](Event& e) {
             editLine(e, firstRound(e), [](QJsonObject& o) {
                 QJsonArray w = o["winners"].toArray();
                 // Someone else than the one who won (the keys are random).
                 const int other = w[0].toArray()[0].toInt() == 29 ? 28 : 29;
                 w[0] = QJsonArray{other, QStringLiteral("员工%1").arg(other)};
                 o["winners"] = w;
             });
         },
         DrawVerifier::kDiffers},
        {"a round line removed",
         [&](Event& e) {
             auto lines = LinesOf(e.Record());
             lines.removeAt(firstRound(e));
             WriteLines(e.Record(), lines);
         },
         DrawVerifier::kDiffers},
        {"the revealed secret changed",
         [&](Event& e) {
             editLine(e, int(LinesOf(e.Record()).size()) - 1,
                      [](QJsonObject& o) { o["secret"] = QString(64, QLatin1Char('a')); });
         },
         DrawVerifier::kDiffers},
        {"the record cut short in its last line",
         [&](Event& e) {
             QByteArray bytes = e.dir.Read("draw-record.jsonl");
             e.dir.Write("draw-record.jsonl", bytes.left(bytes.size() - 20));
         },
         DrawVerifier::kDiffers},
        {"a winner's name changed in data.xml",
         [&](Event& e) {
             AppData d(e.dir.Path());
             d.Winners().begin()->second.front()->show = QStringLiteral("老板的侄子");
         },
         DrawVerifier::kDiffers},
        {"a winner added to data.xml",
         [&](Event& e) {
             AppData d(e.dir.Path());
             d.AddWinner(std::make_unique<Winner>(
                 Winner{d.Winners().begin()->first, 29, "员工29", "2026-12-24 20:00:00"}));
         },
         DrawVerifier::kDiffers},
        {"a winner removed from data.xml by hand",
         [&](Event& e) {
             AppData d(e.dir.Path());
             auto& vec = const_cast<AppData::WinnerVector&>(d.Winners().begin()->second);
             vec.erase(vec.begin());
         },
         DrawVerifier::kDiffers},
        // Hashing the secret two billion times would hang the check.
        {"the chain length raised beyond reason",
         [&](Event& e) { editLine(e, 0, [](QJsonObject& o) { o["chain"] = 2000000000; }); },
         DrawVerifier::kDiffers},
        // Windows deletes no file the engine still holds open.
        {"no record",
         [&](Event& e) {
             e.engine.reset();
             ASSERT_TRUE(QFile::remove(e.Record()));
         },
         DrawVerifier::kUnreadable},
        {"no data.xml", [&](Event& e) { ASSERT_TRUE(QFile::remove(e.data->DataFilePath())); },
         DrawVerifier::kUnreadable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Event e;
        e.data->AddPrize("一等奖", "电脑", 6, 3, "", 0);
        e.RunShow();
        e.data->SetReadOnly(true);  // the model must not write the files back over the tampering
        ASSERT_EQ(e.Verify().outcome, DrawVerifier::kPassed);
        c.tamper(e);
        const DrawVerifier::Report report = e.Verify();
        EXPECT_EQ(report.outcome, c.outcome) << report.lines.join('\n').toStdString();
    }
}

TEST(DrawVerifier, AShowThatNeverEndedStillVerifiesRoundByRound) {
    Event e;
    e.data->AddPrize("一等奖", "电脑", 6, 3, "", 0);
    e.RunShow();
    // A crash before the end line: the secret was never revealed.
    auto lines = LinesOf(e.Record());
    ASSERT_EQ(EventOf(lines.back())["type"].toString(), "end");
    lines.pop_back();
    WriteLines(e.Record(), lines);
    const DrawVerifier::Report report = e.Verify();
    EXPECT_EQ(report.outcome, DrawVerifier::kPassed);
    EXPECT_TRUE(report.lines[0].contains(QStringLiteral("未正常结束")));
}

// Keys of rounds beyond the hash chain open only with the revealed secret: a key put in their
// place is refused, and a show that never revealed its secret cannot pass them.
TEST(DrawVerifier, RoundsBeyondTheChainAreCheckedAgainstTheSecret) {
    Event e;
    e.engine->SetKeyChainLength(1);
    e.data->AddPrize("一等奖", "电脑", 6, 3, "", 0);
    e.RunShow();
    ASSERT_EQ(e.Verify().outcome, DrawVerifier::kPassed)
        << e.Verify().lines.join('\n').toStdString();

    auto lines = LinesOf(e.Record());
    int last = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (EventOf(lines[i])["type"].toString() == "round") last = i;
    QJsonObject round = EventOf(lines[last]);
    ASSERT_GT(round["key_index"].toInt(), 1);
    round["key"] = QString(64, QLatin1Char('b'));
    lines[last] = QJsonDocument(round).toJson(QJsonDocument::Compact);
    WriteLines(e.Record(), lines);
    EXPECT_TRUE(
        e.Verify().lines.join('\n').contains(QStringLiteral("密钥不是由本场公开的密钥得出")));

    lines.pop_back();  // the end line with the secret
    WriteLines(e.Record(), lines);
    const DrawVerifier::Report unended = e.Verify();
    EXPECT_EQ(unended.outcome, DrawVerifier::kDiffers);
    EXPECT_TRUE(unended.lines.join('\n').contains(QStringLiteral("超出密钥链")));
}

// A record of thousands of unreadable lines gives a report of bounded length.
TEST(DrawVerifier, AFloodOfBadLinesIsCountedNotListed) {
    Event e;
    e.data->AddPrize("一等奖", "电脑", 6, 3, "", 0);
    e.RunShow();
    e.dir.Write("draw-record.jsonl", QByteArray(3000 * 2, 'x').replace(QByteArray("xx"), "x\n"));
    const DrawVerifier::Report report = e.Verify();
    EXPECT_EQ(report.outcome, DrawVerifier::kDiffers);
    EXPECT_LT(report.lines.size(), 1100);
    EXPECT_TRUE(report.lines.join(QLatin1Char('\n')).contains(QStringLiteral("处未列出")))
        << report.lines.last().toStdString();
}

TEST(DrawVerifier, ADamagedRecordNeverStopsTheNextShow) {
    Event e;
    const int32_t p = e.data->AddPrize("一等奖", "电脑", 6, 3, "", 0);
    e.RunShow(1);
    e.dir.Write("draw-record.jsonl", QByteArray(5000, '\xff'));
    e.RunShow();
    EXPECT_EQ(e.data->WinnerCount(p), 6);
    const auto lines = LinesOf(e.Record());
    EXPECT_EQ(EventOf(lines[1])["restart"].toString(), "torn");
    const DrawVerifier::Report report = e.Verify();
    EXPECT_EQ(report.outcome, DrawVerifier::kDiffers);  // the damage is told
}

TEST(DrawVerifier, WinnersFromBeforeTheRecordAreToldButNotRefused) {
    Event e;
    const int32_t p = e.data->AddPrize("一等奖", "电脑", 6, 3, "", 0);
    e.data->AddWinner(std::make_unique<Winner>(Winner{p, 3, "员工3", "2025-12-31 20:00:00"}));
    e.RunShow();
    const DrawVerifier::Report report = e.Verify();
    EXPECT_EQ(report.outcome, DrawVerifier::kPassed) << report.lines.join('\n').toStdString();
    EXPECT_TRUE(report.lines.join('\n').contains(QStringLiteral("记录开始前已有 1 名中奖者")));
}

TEST(DrawVerifier, ARehearsalLeavesNoRecord) {
    Event e;
    e.data->AddPrize("一等奖", "电脑", 6, 3, "", 0);
    e.data->SetReadOnly(true);
    e.RunShow();
    EXPECT_FALSE(QFile::exists(e.Record()));
}

// An evening over 100,000 people with 1,000 winners: ten shows of ten rounds of ten.
TEST(DrawRecord, AnEveningOfAHundredThousandPeopleStaysSmall) {
    Event e(100000);
    e.engine->SetKeyChainLength(16);
    for (int i = 0; i < 10; ++i)
        e.data->AddPrize(QStringLiteral("奖%1").arg(i), "", 100, 10, "", i);
    for (int show = 0; show < 10; ++show) e.RunShow(10);
    EXPECT_EQ(e.data->TotalWinners(), 1000u);
    const qint64 size = QFileInfo(e.Record()).size();
    std::cout << "draw record for 100,000 people and 1,000 winners: " << size << " bytes\n";
    EXPECT_LT(size, 10 * 1024 * 1024);
    EXPECT_EQ(e.Verify().outcome, DrawVerifier::kPassed);
}

// Removing many winners at once writes their removals to the draw record together: a failing
// disk is told once, and every removal is there once it is back.
TEST(SaveFailure, RemovalsOfAWholePrizeReachTheRecordTogether) {
    TestFolder dir;
    AppData data(dir.Path());
    std::vector<SaveProblem> problems;
    data.SetSaveReporter([&](const SaveProblem& p) { problems.push_back(p); }, nullptr);
    RecordKeeper keeper(data);
    const int32_t prize = data.AddPrize("一等奖", "电脑", 5, 1, "", 0);
    for (int i = 0; i < 5; ++i)
        data.AddWinner(std::make_unique<Winner>(
            Winner{prize, i, QStringLiteral("员工%1").arg(i), "2026-12-24 20:00:00"}));
    AtomicFileWriter::InjectFailure(AtomicFileWriter::Step::Sync, "draw-record");
    data.DeletePrize(prize);
    EXPECT_EQ(problems.size(), 1u);
    AtomicFileWriter::ClearInjectedFailures();
    ASSERT_TRUE(keeper.Append(QJsonObject{{"type", "clear"}}));
    QFile record(data.DrawRecordPath());
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = record.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 6);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(lines[i].contains("\"type\":\"delete\"")) << i;
}
