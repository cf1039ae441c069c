#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <set>

#include "draw/DrawEngine.h"
#include "draw/DrawKeyRules.h"
#include "draw/ShowHost.h"
#include "draw/ShowKeys.h"
#include "model/AppData.h"
#include "model/Utilities.h"
#include "support/TestFolder.h"

namespace {

// Answers the shortage question and plays the operator during the show.
class ScriptedHost : public ShowHost {
  public:
    bool answer = true;
    std::vector<Shortage> questions;
    std::function<void(DrawEngine&)> show;
    DrawEngine* engine = nullptr;
    bool AskToContinue(const Shortage& s) override {
        questions.push_back(s);
        return answer;
    }
    void RunShow() override {
        if (show) show(*engine);
    }
};

// A program folder with the built-in music present, so validation gets past the music check.
class Event {
  public:
    Event() {
        QDir(dir.Path()).mkpath("music");
        dir.Write("music/default.mp3", "ID3");
        data = std::make_unique<AppData>(dir.Path());
        engine = std::make_unique<DrawEngine>(*data);
        host.engine = engine.get();
        engine->SetClock([this] { return now; });
        // A fixed key keeps every pick reproducible.
        engine->SetSecretSource([] {
            ShowKeys::Key key;
            key.fill(7);
            return key;
        });
    }
    void People(int n) {
        for (int i = 0; i < n; ++i)
            data->AddCandidate(QString::number(i), QStringLiteral("人%1").arg(i), "部", "", i);
    }
    DrawEngine& Engine() { return *engine; }
    RoundState& Round() { return *engine->Round(); }
    // Steps until the given state is reached (or the show is finished).
    void StepTo(int state) {
        for (int guard = 0; guard < 10000 && Round().state != state; ++guard) {
            if (Round().state == RoundState::kFinished) return;
            Engine().AdvanceStep();
        }
    }
    std::vector<int32_t> WinnerIds(int32_t prize) const {
        std::vector<int32_t> ids;
        if (const auto* v = data->WinnersOfPrize(prize))
            for (const auto& w : *v) ids.push_back(w->candidate);
        return ids;
    }

    TestFolder dir;
    std::unique_ptr<AppData> data;
    std::unique_ptr<DrawEngine> engine;
    ScriptedHost host;
    std::time_t now = 1767225600;  // 2026-01-01 00:00:00 UTC
};

}  // namespace

struct RoundCase {
    int count, batch, drawn, round, size;
};

class ComputeRoundTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(ComputeRoundTest, SplitsAPrizeOverItsRounds) {
    const RoundCase c = GetParam();
    Event e;
    e.People(c.count + 5);
    const int32_t p = e.data->AddPrize("P", "", c.count, c.batch, "", 0);
    for (int i = 0; i < c.drawn; ++i)
        e.data->AddWinner(std::make_unique<Winner>(Winner{p, c.count + i, "x", "t"}));
    e.data->SetAllowRepeat(true);
    int round = -1, size = -1;
    e.host.show = [&](DrawEngine& engine) {
        engine.AdvanceStep();
        round = engine.Round()->roundNumber;
        size = engine.Round()->batchSize;
    };
    ASSERT_TRUE(e.Engine().StartDraw(e.host));
    EXPECT_EQ(round, c.round);
    EXPECT_EQ(size, c.size);
}

INSTANTIATE_TEST_SUITE_P(
    Rounds, ComputeRoundTest,
    ::testing::Values(RoundCase{10, 3, 0, 1, 3}, RoundCase{10, 3, 3, 2, 3},
                      RoundCase{10, 3, 6, 3, 4}, RoundCase{10, 3, 8, 3, 2},
                      RoundCase{10, 3, 9, 4, 1}, RoundCase{7, 2, 0, 1, 3}, RoundCase{7, 2, 3, 2, 4},
                      RoundCase{5, 1, 0, 1, 5}, RoundCase{6, 6, 0, 1, 1}, RoundCase{6, 6, 5, 6, 1},
                      // Outside what the prize dialog allows (hand-edited files): still defined.
                      RoundCase{11, 4, 10, 6, 1}, RoundCase{3, 0, 0, 1, 3},
                      RoundCase{2, 5, 1, 2, 1}));

TEST(DrawEngine, AWholePrizeIsDrawnThreeThreeFourAndSavedEveryRound) {
    Event e;
    e.People(30);
    const int32_t p = e.data->AddPrize("一等奖", "手机", 10, 3, "", 0);
    std::vector<int> sizes;
    std::vector<int> savedAfterRound;
    e.host.show = [&](DrawEngine& engine) {
        e.StepTo(RoundState::kFinished);
        (void)engine;
    };
    // Step by hand to look at every round.
    e.host.show = [&](DrawEngine& engine) {
        while (engine.Round()->state != RoundState::kFinished) {
            engine.AdvanceStep();
            if (engine.Round()->state == RoundState::kWinners) {
                sizes.push_back(static_cast<int>(engine.Round()->selection.size()));
                AppData reread(e.dir.Path() + "nowhere/");
                reread.LoadDataFile(e.data->DataFilePath(), false);
                savedAfterRound.push_back(reread.WinnerCount(p));
            }
        }
    };
    ASSERT_TRUE(e.Engine().StartDraw(e.host));
    EXPECT_EQ(sizes, (std::vector<int>{3, 3, 4}));
    EXPECT_EQ(savedAfterRound, (std::vector<int>{3, 6, 10}));
    const auto ids = e.WinnerIds(p);
    EXPECT_EQ(std::set<int32_t>(ids.begin(), ids.end()).size(), 10u);
    EXPECT_EQ(e.Engine().Round(), nullptr);  // gone with the show
}

TEST(DrawEngine, StepTableFromWelcomeToFinished) {
    Event e;
    e.People(10);
    const int32_t a = e.data->AddPrize("A", "a", 2, 2, "", 1);
    const int32_t b = e.data->AddPrize("B", "b", 1, 1, "", 0);
    std::vector<std::pair<int, int>> seen;  // (state, prize)
    e.host.show = [&](DrawEngine& engine) {
        seen.emplace_back(engine.Round()->state, engine.Round()->prizeId);
        for (int i = 0; i < 12; ++i) {
            engine.AdvanceStep();
            seen.emplace_back(engine.Round()->state, engine.Round()->prizeId);
        }
    };
    ASSERT_TRUE(e.Engine().StartDraw(e.host));
    const std::vector<std::pair<int, int>> expected = {{0, -1}, {1, b}, {2, b}, {3, b}, {1, a},
                                                       {2, a},  {3, a}, {1, a}, {2, a}, {3, a},
                                                       {4, a},  {4, a}, {4, a}};
    EXPECT_EQ(seen, expected);
}

TEST(DrawEngine, PrizeTextAndPictureOfTheCurrentPrize) {
    Event e;
    e.People(3);
    e.dir.Write("gift.png", QByteArray());
    e.data->AddPrize("特等奖", "电脑", 1, 1, e.dir.File("gift.png"), 0);
    QString text;
    QString picture;
    e.host.show = [&](DrawEngine& engine) {
        engine.AdvanceStep();
        text = engine.Round()->prizeText;
        picture = engine.Round()->prizeImage;
    };
    ASSERT_TRUE(e.Engine().StartDraw(e.host));
    EXPECT_EQ(text, QStringLiteral("特等奖\n电脑"));
    EXPECT_EQ(picture, e.dir.File("gift.png"));  // the screen decodes it
    e.data->SetPrizeUIType(0);
    EXPECT_EQ(e.Engine().PrizeText(e.data->FindPrize(0)), QStringLiteral("特等奖 电脑"));
    EXPECT_EQ(e.Engine().PrizeText(nullptr), QString());
}

TEST(DrawEngine, TheKeyDecidesThePicksAndTheClockPlaysNoPart) {
    // The same key gives the same picks whatever the time; another key gives others.
    auto firstRoll = [](std::time_t now, uint8_t keyByte) {
        Event e;
        e.People(1000);
        e.now = now;
        e.data->AddPrize("P", "", 5, 1, "", 0);
        e.Engine().SetSecretSource([keyByte] {
            ShowKeys::Key key;
            key.fill(keyByte);
            return key;
        });
        std::vector<int32_t> picks;
        e.host.show = [&](DrawEngine& engine) {
            engine.AdvanceStep();
            engine.AdvanceStep();
            for (int t = 0; t < 30; ++t) {
                e.now += t % 7 == 0 ? 1 : 0;
                engine.RollSelection();
            }
            for (const auto& s : engine.Round()->selection) picks.push_back(s.candidate);
        };
        EXPECT_TRUE(e.Engine().StartDraw(e.host));
        return picks;
    };
    const auto a = firstRoll(1767225600, 1);
    ASSERT_EQ(a.size(), 5u);
    EXPECT_EQ(firstRoll(1767225600 + 3600, 1), a);
    EXPECT_NE(firstRoll(1767225600, 2), a);
}

TEST(DrawEngine, ARoundSharesOneTimeStampAndTheShownTexts) {
    Event e;
    e.People(8);
    e.data->SetFieldType(2, false);
    const int32_t p = e.data->AddPrize("P", "", 4, 1, "", 0);
    e.host.show = [&](DrawEngine& engine) {
        engine.AdvanceStep();
        engine.AdvanceStep();
        e.now += 7;  // the operator stops later; the stamp is taken then, once
        engine.RollSelection();
        engine.AdvanceStep();
    };
    ASSERT_TRUE(e.Engine().StartDraw(e.host));
    const auto* winners = e.data->WinnersOfPrize(p);
    ASSERT_EQ(winners->size(), 4u);
    for (const auto& w : *winners) {
        EXPECT_EQ(w->time, LocalTimeText(e.now));
        const Candidate* c = e.data->FindCandidate(w->candidate);
        EXPECT_EQ(w->show, c->name + " " + c->department);
    }
}

// Drawn by mobile number, the screens show 138****8000 while the winners keep the number whole;
// with the setting off, or drawn by name, nothing is hidden.
TEST(DrawEngine, MobileNumbersAreHiddenOnTheScreensOnly) {
    for (const auto& [fieldType, hide] :
         {std::pair{3, true}, std::pair{3, false}, std::pair{1, true}}) {
        SCOPED_TRACE(testing::Message() << fieldType << " " << hide);
        Event e;
        for (int i = 0; i < 6; ++i)
            e.data->AddCandidate(QString::number(i), QStringLiteral("人%1").arg(i), "部",
                                 QStringLiteral("1380013800%1").arg(i), i);
        e.data->SetFieldType(fieldType, true);
        e.data->SetHidePhoneDigits(hide);
        const int32_t p = e.data->AddPrize("P", "", 3, 1, "", 0);
        std::vector<RoundSelection> seen;
        e.host.show = [&](DrawEngine& engine) {
            engine.AdvanceStep();
            engine.AdvanceStep();
            engine.AdvanceStep();
            seen = engine.Round()->selection;
        };
        ASSERT_TRUE(e.Engine().StartDraw(e.host));
        ASSERT_EQ(seen.size(), 3u);
        for (const RoundSelection& s : seen) {
            const Candidate* c = e.data->FindCandidate(s.candidate);
            if (fieldType == 3 && hide) {
                EXPECT_EQ(s.Shown(), "138****" + c->tel.right(4));
                EXPECT_EQ(s.text, c->tel);
            } else {
                EXPECT_EQ(s.Shown(), s.text);
            }
        }
        for (const auto& w : *e.data->WinnersOfPrize(p))
            EXPECT_EQ(w->show, fieldType == 3 ? e.data->FindCandidate(w->candidate)->tel
                                              : e.data->FindCandidate(w->candidate)->name);
    }
}

TEST(DrawKeyRules, HidePhoneDigitsKeepsTheFirstThreeAndTheLastFour) {
    const std::pair<QString, QString> cases[] = {
        {"13800138000", "138****8000"},
        {"+86 138 0013 8000", "+86 138 **** 8000"},  // the four before the last four
        {"138-0013-8000", "138-****-8000"},
        {"66778899", "****8899"},
        {"12345", "*2345"},
        {"8000", "8000"},
        {"", ""},
        {"无号码", "无号码"},
    };
    for (const auto& [tel, shown] : cases)
        EXPECT_EQ(DrawKeyRules::HidePhoneDigits(tel), shown) << tel.toStdString();
}

TEST(DrawEngine, EscWhileRollingRecordsNothingAndTheNextShowResumes) {
    Event e;
    e.People(10);
    const int32_t p = e.data->AddPrize("P", "", 6, 2, "", 0);
    e.host.show = [&](DrawEngine& engine) {
        engine.AdvanceStep();
        engine.AdvanceStep();
        for (int i = 0; i < 20; ++i) engine.RollSelection();
    };
    ASSERT_TRUE(e.Engine().StartDraw(e.host));
    EXPECT_EQ(e.data->WinnerCount(p), 0);
    EXPECT_FALSE(QFile::exists(e.data->DataFilePath()));

    int round = 0, size = 0, prize = -1;
    e.host.show = [&](DrawEngine& engine) {
        engine.AdvanceStep();
        round = engine.Round()->roundNumber;
        size = engine.Round()->batchSize;
        prize = engine.Round()->prizeId;
    };
    ASSERT_TRUE(e.Engine().StartDraw(e.host));
    EXPECT_EQ(prize, p);
    EXPECT_EQ(round, 1);
    EXPECT_EQ(size, 3);
}

TEST(DrawEngine, NoRepeatWinnersAcrossPrizesAndShowsWhenRepeatIsOff) {
    Event e;
    e.People(12);
    const int32_t a = e.data->AddPrize("A", "", 4, 2, "", 0);
    const int32_t b = e.data->AddPrize("B", "", 4, 1, "", 1);
    const int32_t c = e.data->AddPrize("C", "", 4, 1, "", 2);
    // First show: only prize A, then Esc.
    e.host.show = [&](DrawEngine& engine) {
        while (engine.Round()->prizeId != b || engine.Round()->state != RoundState::kPrize) {
            engine.AdvanceStep();
            e.now += 3;
        }
    };
    ASSERT_TRUE(e.Engine().StartDraw(e.host));
    ASSERT_EQ(e.data->WinnerCount(a), 4);
    e.host.show = [&](DrawEngine&) { e.StepTo(RoundState::kFinished); };
    ASSERT_TRUE(e.Engine().StartDraw(e.host));
    std::set<int32_t> all;
    for (int32_t prize : {a, b, c})
        for (int32_t id : e.WinnerIds(prize)) EXPECT_TRUE(all.insert(id).second) << id;
    EXPECT_EQ(all.size(), 12u);
    // Everyone has won: a further show has nobody left.
    e.data->AddPrize("D", "", 1, 1, "", 3);
    EXPECT_FALSE(e.Engine().StartDraw(e.host));
    EXPECT_EQ(e.data->DrawStatusCode(), DrawEngine::kPoolEmpty);
}

TEST(DrawEngine, RepeatAllowedAcrossRoundsButNeverTwiceOnOneScreen) {
    Event e;
    e.People(4);
    e.data->SetAllowRepeat(true);
    const int32_t p = e.data->AddPrize("P", "", 12, 4, "", 0);
    bool twiceOnAScreen = false;
    e.host.show = [&](DrawEngine& engine) {
        while (engine.Round()->state != RoundState::kFinished) {
            engine.AdvanceStep();
            e.now += 1;
            if (engine.Round()->state == RoundState::kRolling) {
                for (int t = 0; t < 30; ++t) {
                    engine.RollSelection();
                    std::set<int32_t> ids;
                    for (const auto& s : engine.Round()->selection)
                        twiceOnAScreen |= !ids.insert(s.candidate).second;
                }
            }
        }
    };
    ASSERT_TRUE(e.Engine().StartDraw(e.host));
    EXPECT_FALSE(twiceOnAScreen);
    const auto ids = e.WinnerIds(p);
    EXPECT_EQ(ids.size(), 12u);
    std::map<int32_t, int> wins;
    for (int32_t id : ids) ++wins[id];
    // Four rounds of three from four people: somebody must have won more than once.
    EXPECT_TRUE(std::any_of(wins.begin(), wins.end(), [](const auto& w) { return w.second > 1; }));
}

TEST(DrawEngine, ALongRollShowsEveryEligibleCandidate) {
    Event e;
    e.People(10);
    e.data->AddPrize("P", "", 3, 1, "", 0);
    e.data->AddWinner(std::make_unique<Winner>(Winner{99, 4, "x", "t"}));  // won before
    std::set<int32_t> shown;
    std::vector<size_t> poolSizes;
    e.host.show = [&](DrawEngine& engine) {
        engine.AdvanceStep();
        engine.AdvanceStep();
        for (int t = 0; t < 9; ++t) {
            for (const auto& s : engine.Round()->selection) shown.insert(s.candidate);
            poolSizes.push_back(engine.CandidatePoolIds().size());
            EXPECT_EQ(engine.RemainingCandidates(), 9);
            e.now += t % 3 == 0 ? 1 : 0;
            engine.RollSelection();
        }
    };
    ASSERT_TRUE(e.Engine().StartDraw(e.host));
    EXPECT_EQ(shown.size(), 9u);
    EXPECT_EQ(shown.count(4), 0u);
    // The pool shrinks by a batch a tick and is refilled from the pending list when empty.
    EXPECT_EQ(poolSizes, (std::vector<size_t>{6, 3, 0, 6, 3, 0, 6, 3, 0}));
}

TEST(DrawEngine, ShortageQuestionAndAnIncompletePrize) {
    Event e;
    e.People(5);
    const int32_t p = e.data->AddPrize("P", "", 8, 1, "", 0);
    e.host.answer = false;
    EXPECT_FALSE(e.Engine().StartDraw(e.host));
    EXPECT_EQ(e.data->DrawStatusCode(), DrawEngine::kOperatorDeclined);
    ASSERT_EQ(e.host.questions.size(), 1u);
    EXPECT_EQ(e.host.questions[0].slotsLeft, 8);
    EXPECT_EQ(e.host.questions[0].candidates, 5);
    EXPECT_EQ(e.Engine().RemainingCandidates(), 0);

    e.host.answer = true;
    int shown = 0, remainingOnNextPrizeScreen = -1, nextPrize = -1, nextState = -1;
    e.host.show = [&](DrawEngine& engine) {
        engine.AdvanceStep();
        engine.AdvanceStep();
        shown = static_cast<int>(engine.Round()->selection.size());
        engine.AdvanceStep();
        engine.AdvanceStep();
        nextState = engine.Round()->state;
        nextPrize = engine.Round()->prizeId;
        remainingOnNextPrizeScreen = engine.RemainingCandidates();
    };
    ASSERT_TRUE(e.Engine().StartDraw(e.host));
    EXPECT_EQ(shown, 5);
    EXPECT_EQ(e.data->WinnerCount(p), 5);
    EXPECT_EQ(nextState, RoundState::kPrize);
    EXPECT_EQ(nextPrize, p);
    EXPECT_EQ(remainingOnNextPrizeScreen, 0);
}

struct KeyCase {
    const char* label;
    int field;
    std::vector<std::array<const char*, 4>> people;  // NO, name, department, tel
    int code;
    const char* detail;
};

class ValidateKeysTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ValidateKeysTest, FirstEmptyOrRepeatedKeyInIdOrderFails) {
    const KeyCase& k = GetParam();
    Event e;
    int i = 0;
    for (const auto& p : k.people) e.data->AddCandidate(p[0], p[1], p[2], p[3], i++);
    e.data->SetFieldType(k.field, false);
    e.data->AddPrize("P", "", 1, 1, "", 0);
    EXPECT_EQ(e.Engine().StartDraw(e.host), k.code == 0) << k.label;
    EXPECT_EQ(e.data->DrawStatusCode(), k.code) << k.label;
    EXPECT_EQ(e.data->DrawStatusDetail(), QString::fromUtf8(k.detail)) << k.label;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ValidateKeysTest,
    ::testing::Values(
        KeyCase{"distinct", 1, {{"1", "甲", "", ""}, {"2", "乙", "", ""}}, 0, ""},
        KeyCase{"blank only", 0, {{"1", "", "", ""}, {" \t ", "x", "", ""}}, -5, ""},
        KeyCase{
            "surrounding blanks", 1, {{"1", " 张三", "", ""}, {"2", "张三  ", "", ""}}, -6, "张三"},
        KeyCase{"case differs", 0, {{"a1", "", "", ""}, {"A1", "", "", ""}}, 0, ""},
        KeyCase{"repeat before empty",
                0,
                {{"1", "", "", ""}, {"1", "", "", ""}, {"", "", "", ""}},
                -6,
                "1"},
        KeyCase{"empty before repeat",
                0,
                {{"1", "", "", ""}, {"", "", "", ""}, {"1", "", "", ""}},
                -5,
                ""},
        KeyCase{"name and department", 2, {{"", "王五", "A", ""}, {"", "王五", "B", ""}}, 0, ""},
        KeyCase{"name and department repeat",
                2,
                {{"", "王五", "A", ""}, {"", "赵六", "B", ""}, {"", "王五", "A", ""}},
                -6,
                "王五 A"},
        KeyCase{"mobile empty", 3, {{"1", "a", "", "138"}, {"2", "b", "", ""}}, -5, ""},
        KeyCase{"first of three repeats reported once",
                1,
                {{"", "x", "", ""}, {"", "y", "", ""}, {"", "y", "", ""}, {"", "x", "", ""}},
                -6,
                "y"}));

TEST(DrawEngine, ValidationCodesInTheirOrder) {
    Event e;
    EXPECT_FALSE(e.Engine().StartDraw(e.host));
    EXPECT_EQ(e.data->DrawStatusCode(), DrawEngine::kNoCandidates);
    e.People(2);
    EXPECT_FALSE(e.Engine().StartDraw(e.host));
    EXPECT_EQ(e.data->DrawStatusCode(), DrawEngine::kNoPrizes);
    const int32_t p = e.data->AddPrize("P", "", 1, 1, "", 0);
    e.data->MusicList().AddFile(e.dir.File("music/missing.mp3"));
    EXPECT_FALSE(e.Engine().StartDraw(e.host));
    EXPECT_EQ(e.data->DrawStatusCode(), DrawEngine::kMusicMissing);
    EXPECT_EQ(e.data->DrawStatusDetail(), e.dir.File("music/missing.mp3"));
    e.data->MusicList().SetIndex(0);
    // Every prize complete: -4 before the pool matters, even with nobody left.
    e.data->AddWinner(std::make_unique<Winner>(Winner{p, 0, "x", "t"}));
    e.data->AddWinner(std::make_unique<Winner>(Winner{-1, 1, "y", "t"}));
    EXPECT_FALSE(e.Engine().StartDraw(e.host));
    EXPECT_EQ(e.data->DrawStatusCode(), DrawEngine::kAllPrizesDone);
    e.data->FindPrize(p)->count = 3;
    EXPECT_FALSE(e.Engine().StartDraw(e.host));
    EXPECT_EQ(e.data->DrawStatusCode(), DrawEngine::kPoolEmpty);
    EXPECT_TRUE(e.Engine().PrizeQueue().empty());
    e.data->SetAllowRepeat(true);
    EXPECT_TRUE(e.Engine().StartDraw(e.host));
    EXPECT_TRUE(e.host.questions.empty());  // no shortage question with repeats allowed
}

struct ChooseCase {
    const char* label;
    int fieldType;
    bool byOperator;
    std::vector<std::array<const char*, 4>> people;
    int expected;
};

class ChooseDrawKeyTest : public ::testing::TestWithParam<ChooseCase> {};

TEST_P(ChooseDrawKeyTest, PicksTheMostFilledColumnOnlyWhenTheKeyIsEmpty) {
    const ChooseCase& c = GetParam();
    Event e;
    int i = 0;
    for (const auto& p : c.people) e.data->AddCandidate(p[0], p[1], p[2], p[3], i++);
    e.data->SetFieldType(c.fieldType, c.byOperator);
    EXPECT_EQ(e.Engine().ChooseDrawKeyField(), c.expected) << c.label;
    EXPECT_EQ(e.data->FieldType(), c.expected) << c.label;
    EXPECT_EQ(e.data->FieldTypeChosenByOperator(), c.byOperator) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Choose, ChooseDrawKeyTest,
    ::testing::Values(
        ChooseCase{"key filled", 0, false, {{"1", "", "", ""}, {"", "a", "", "1"}}, 0},
        ChooseCase{"chosen by hand", 3, true, {{"1", "a", "", ""}}, 3},
        ChooseCase{"mobile wins",
                   0,
                   false,
                   {{"", "", "", "138"}, {"", "", "", "139"}, {"", "a", "", ""}},
                   3},
        ChooseCase{"tie goes to the lower field",
                   0,
                   false,
                   {{"", "", "", "138"}, {"", "", "d", ""}, {"", "张三", "", "139"}},
                   1},
        ChooseCase{"department never wins", 3, false, {{"", "", "d", ""}}, 3},
        ChooseCase{"blank key counts as empty", 1, false, {{"7", "  ", "", ""}}, 0},
        ChooseCase{"nothing filled", 2, false, {{"", "", "", ""}}, 2}));
