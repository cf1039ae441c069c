#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <functional>
#include <memory>
#include <vector>

#include "draw/DrawEngine.h"
#include "draw/DrawPool.h"
#include "draw/DrawVerifier.h"
#include "draw/KeyedStream.h"
#include "draw/ShowHost.h"
#include "draw/ShowKeys.h"
#include "model/AppData.h"
#include "support/TestFolder.h"

// An evening's record must stay verifiable for as long as anyone may ask: a change to the pool,
// the key stream, the key chain or the record's format that would make an old record fail, or
// an old key pick other people, fails here.

namespace {

KeyedStream::Key Sevens() {
    KeyedStream::Key key;
    key.fill(7);
    return key;
}

class Host : public ShowHost {
  public:
    std::function<void()> show;
    bool AskToContinue(const Shortage&) override { return true; }
    void RunShow() override { show(); }
};

}  // namespace

// Made by the program of the first draw record: three shows, a void and its redraw, a winner
// deleted on the winner page, and a last show that never ended (the program was killed).
TEST(OldRecords, AnEveningRecordedByAnEarlierVersionStillVerifies) {
    TestFolder copy;
    for (const char* name : {"draw-record.jsonl", "data.xml", "cd.xml"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(VANTORIA_TEST_DATA "/record/evening/") + name,
                                copy.File(QString::fromLatin1(name))));
    const DrawVerifier::Report report = DrawVerifier::Verify(copy.Path());
    EXPECT_EQ(report.outcome, DrawVerifier::kPassed) << report.lines.join('\n').toStdString();
    EXPECT_EQ(report.lines,
              QStringList({
                  QStringLiteral("第 1 场（2026-12-09 04:07:03，指纹 75A7 4F0C E3DC B737，3 轮 5 "
                                 "人）：通过（其中 1 人未到场作废，1 人已删除）"),
                  QStringLiteral("第 2 场（2026-12-09 04:07:06，指纹 C86A 17CD 1EAA 0986，3 轮 8 "
                                 "人）：通过"),
                  QStringLiteral("第 3 场（2026-12-09 04:07:09，指纹 2D15 D7DD 881F AF49，1 轮 4 "
                                 "人）：通过（本场未正常结束，各轮已按逐轮公开的密钥验证）"),
                  QStringLiteral("共 3 场、7 轮：全部通过。"),
              }));
}

// The picks of a fixed key, as the first fair draw made them.
TEST(OldRecords, AFixedKeyPicksTheSamePeopleAsItAlwaysDid) {
    // The hash chain, computed independently with Python's hashlib.
    const ShowKeys keys(Sevens());
    EXPECT_EQ(ShowKeys::Hex(keys.Commitment()),
              "db5ce27d1450b0f29d2188905949e15255b9b37c7c044692c962d3ac050abda4");
    EXPECT_EQ(ShowKeys::Hex(keys.RoundKey(1)),
              "555a5c7d4cad9cd208df6f9d3a7e74e620412a0059bbdcb779c1cd3cc3d39bbd");
    EXPECT_EQ(ShowKeys::Hex(keys.RoundKey(2)),
              "ebbb22f5ab251b391fb127b490df987b21f78fc79cf7f3cd4fbc475b3e2fc485");

    // The pool and the stream alone: three rolls of five, the winners kept, a roll of three.
    KeyedStream stream(Sevens());
    DrawPool pool;
    std::vector<int32_t> room(1000);
    for (int i = 0; i < 1000; ++i) room[size_t(i)] = i;
    pool.Reset(room);
    std::vector<int32_t> picks;
    for (int r = 0; r < 3; ++r) picks = pool.Roll(5, stream);
    EXPECT_EQ(picks, (std::vector<int32_t>{352, 35, 735, 612, 21}));
    pool.Commit(picks, false);
    EXPECT_EQ(pool.Roll(3, stream), (std::vector<int32_t>{807, 651, 997}));
    EXPECT_EQ(stream.Below(1000000007ULL), 65720823u);

    // The whole engine: two rounds of a prize of six, five rolls each.
    TestFolder dir;
    QDir(dir.Path()).mkpath("music");
    dir.Write("music/default.mp3", "ID3");
    AppData data(dir.Path());
    data.SetReadOnly(true);
    for (int i = 0; i < 1000; ++i) data.AddCandidate(QString::number(i), "", "", "", i);
    data.AddPrize("P", "", 6, 2, "", 0);
    DrawEngine engine(data);
    engine.SetSecretSource(Sevens);
    Host host;
    std::vector<std::vector<int32_t>> rounds;
    host.show = [&] {
        for (int r = 0; r < 2; ++r) {
            engine.AdvanceStep();
            engine.AdvanceStep();
            for (int t = 0; t < 4; ++t) engine.RollSelection();
            engine.AdvanceStep();
            std::vector<int32_t> won;
            for (const RoundSelection& s : engine.Round()->selection) won.push_back(s.candidate);
            rounds.push_back(won);
        }
    };
    ASSERT_TRUE(engine.StartDraw(host));
    EXPECT_EQ(rounds, (std::vector<std::vector<int32_t>>{{417, 883, 792}, {845, 913, 142}}));
}
