#include <gtest/gtest.h>

#include <QApplication>
#include <QBackingStore>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>

#include "draw/DrawEngine.h"
#include "draw/RoundState.h"
#include "draw/ShowHost.h"
#include "model/AppData.h"
#include "model/Prize.h"
#include "show/PromptPainter.h"
#include "stage/AddPrizeDialog.h"
#include "stage/DesignToolbox.h"
#include "stage/DesignWindow.h"
#include "stage/ShowScript.h"
#include "stage/ShowWindow.h"
#include "support/FakeUi.h"

namespace {

// A tenth of a second of a quiet tone, as a 16-bit mono WAV.
void WriteWav(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int rate = 22050;
    const int samples = rate / 10;
    QByteArray pcm;
    for (int i = 0; i < samples; ++i) {
        const qint16 v = qint16(3000 * std::sin(i * 0.2));
        pcm.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
    }
    auto u32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
    QByteArray wav = "RIFF" + u32(quint32(36 + pcm.size())) + "WAVEfmt " + u32(16) + u16(1) +
                     u16(1) + u32(rate) + u32(rate * 2) + u16(2) + u16(16) + "data" +
                     u32(quint32(pcm.size())) + pcm;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(wav);
}

class ShowWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { Fresh(); }

    // A new program folder and data model.
    void Fresh() {
        engine_.reset();
        data_.reset();
        root_ = NewShowFolder(dir_);
        ASSERT_FALSE(root_.isEmpty());
        WriteWav(root_ + "sound/stop.wav");
        data_ = std::make_unique<AppData>(root_);
        engine_ = std::make_unique<DrawEngine>(*data_);
    }

    void AddCandidates(int n) {
        for (int i = 1; i <= n; ++i)
            data_->AddCandidate(QString::number(1000 + i), QStringLiteral("员工%1").arg(i), "", "",
                                i);
    }

    int State() const {
        const RoundState* round = engine_->Round();
        return round ? round->state : -1;
    }

    // Starts a show and runs the script inside it; false when the show did not start.
    bool Run(const std::function<void(ShowWindow&)>& script) {
        ScriptHost host(*data_, *engine_, fake_);
        host.script = script;
        host.dialogs = dialogs_;
        const bool started = engine_->StartDraw(host);
        hostResult_ = host.result;
        return started && host.ran;
    }

    FakeUi fake_;
    std::unique_ptr<QTemporaryDir> dir_;
    QString root_;
    std::unique_ptr<AppData> data_;
    std::unique_ptr<DrawEngine> engine_;
    int hostResult_ = -1;
    std::function<int(QDialog&)> dialogs_;  // answers the dialogs a show opens
};

TEST_F(ShowWindowTest, OpensOverThePrimaryScreenAndGoesOnWithoutMusic) {
    AddCandidates(3);
    data_->AddPrize("一等奖", "电脑", 1, 1, QString(), 0);
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        EXPECT_EQ(w.objectName(), QStringLiteral("ShowWindow"));
        EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_TRUE(w.testAttribute(Qt::WA_OpaquePaintEvent));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        EXPECT_EQ(w.geometry(), screen);
        EXPECT_EQ(w.Renderer().ScreenRect(), QRect(QPoint(0, 0), screen.size()));
        EXPECT_EQ(State(), RoundState::kWelcome);
        EXPECT_FALSE(w.IsRolling());
        EXPECT_FALSE(w.IsScrolling());
        // The screen shown is the renderer's: the built-in red in the middle.
        w.repaint();
        EXPECT_EQ(w.Buffer().pixel(screen.width() / 2, screen.height() / 2), 0xFFFF0000u);

        // The music that cannot play is reported once and the show goes on silent.
        ASSERT_EQ(fake_.messages.size(), 1u);
        const Ui::Message& m = fake_.messages.front();
        EXPECT_EQ(m.caption, QStringLiteral("提示"));
        EXPECT_EQ(m.icon, Ui::Icon::Information);
        EXPECT_TRUE(m.text.startsWith(QStringLiteral("打开音乐文件出错：")))
            << m.text.toStdString();
        EXPECT_EQ(m.parent, &w);
        Press(w, Qt::Key_Space);
        EXPECT_EQ(State(), RoundState::kPrize);
    }));
}

// Enter, keypad Enter and Space walk the same road from welcome to the finished list.
TEST_F(ShowWindowTest, StepKeysWalkFromWelcomeToTheFinishedList) {
    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        SCOPED_TRACE(testing::Message() << "key " << std::hex << key);
        Fresh();
        AddCandidates(4);
        const int prize = data_->AddPrize("一等奖", "电脑", 2, 1, QString(), 0);
        ASSERT_TRUE(Run([&](ShowWindow& w) {
            Press(w, key);
            EXPECT_EQ(State(), RoundState::kPrize);
            Press(w, key);
            EXPECT_EQ(State(), RoundState::kRolling);
            EXPECT_TRUE(w.IsRolling());
            QTest::qWait(70);
            Press(w, key);
            EXPECT_EQ(State(), RoundState::kWinners);
            EXPECT_FALSE(w.IsRolling());
            ASSERT_EQ(data_->WinnerCount(prize), 2);
            Press(w, key);
            EXPECT_EQ(State(), RoundState::kFinished);
            EXPECT_TRUE(w.IsScrolling());
            const auto& winners = *data_->WinnersOfPrize(prize);
            EXPECT_EQ(w.Renderer().Lines(), QStringList({"祝 贺", "", "一等奖 电脑",
                                                         winners[0]->show, winners[1]->show}));
            w.reject();
        }));
    }
}

TEST_F(ShowWindowTest, OtherKeysDoNothingAndAHeldKeyStepsOnce) {
    AddCandidates(6);
    data_->AddPrize("一等奖", "电脑", 3, 1, QString(), 0);
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        for (int key :
             {Qt::Key_A, Qt::Key_Tab, Qt::Key_Right, Qt::Key_Backspace, Qt::Key_F1, Qt::Key_0})
            Press(w, key);
        EXPECT_EQ(State(), RoundState::kWelcome);
        EXPECT_TRUE(w.isVisible());

        // A held Space: the first press steps, the repeats do not.
        Press(w, Qt::Key_Space);
        for (int i = 0; i < 5; ++i) Press(w, Qt::Key_Space, true);
        EXPECT_EQ(State(), RoundState::kPrize);
        Press(w, Qt::Key_Return);
        for (int i = 0; i < 5; ++i) Press(w, Qt::Key_Return, true);
        EXPECT_EQ(State(), RoundState::kRolling);
        EXPECT_TRUE(w.IsRolling());
        EXPECT_EQ(data_->TotalWinners(), 0u);
    }));
}

// Esc asks first, on the show itself; No (the default, or Esc again) goes back to the roll,
// Yes leaves and records nothing of it.
TEST_F(ShowWindowTest, EscDuringARollAsksThenRecordsNothing) {
    AddCandidates(8);
    const int prize = data_->AddPrize("二等奖", "手机", 4, 2, QString(), 0);
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        Press(w, Qt::Key_Space);
        Press(w, Qt::Key_Space);
        ASSERT_TRUE(w.IsRolling());
        QTest::qWait(70);
        for (int answer : {Qt::Key_Escape, Qt::Key_N, Qt::Key_Space}) {
            Press(w, Qt::Key_Escape);
            ASSERT_TRUE(w.Prompt().has_value());
            EXPECT_EQ(w.Prompt()->text, QStringLiteral("退出放映？"));
            EXPECT_FALSE(w.Prompt()->yesChosen);
            EXPECT_FALSE(w.IsRolling());  // the names stand still under the question
            Press(w, answer);
            EXPECT_FALSE(w.Prompt().has_value());
            EXPECT_TRUE(w.IsRolling());
            EXPECT_TRUE(w.isVisible());
            EXPECT_EQ(State(), RoundState::kRolling);
        }
        for (const QString& text : fake_.MessageTexts())  // no desktop box over the show
            EXPECT_FALSE(text.contains(QStringLiteral("退出放映"))) << text.toStdString();
        Press(w, Qt::Key_Escape);
        Press(w, Qt::Key_Y);
        EXPECT_FALSE(w.IsRolling());
        EXPECT_FALSE(w.isVisible());
    }));
    EXPECT_EQ(hostResult_, QDialog::Rejected);
    EXPECT_EQ(data_->TotalWinners(), 0u);
    EXPECT_EQ(engine_->Round(), nullptr);

    // The next show starts again with the same prize and its first round.
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        Press(w, Qt::Key_Enter);
        const RoundState* round = engine_->Round();
        EXPECT_EQ(round->prizeId, prize);
        EXPECT_EQ(round->roundNumber, 1);
        EXPECT_EQ(round->batchSize, 2);
    }));
}

TEST_F(ShowWindowTest, NoCandidateLeftKeepsThePrizeScreen) {
    AddCandidates(5);
    const int prize = data_->AddPrize("一等奖", "电脑", 8, 1, QString(), 0);
    fake_.answers.push_back(Ui::Answer::Yes);  // go on although candidates are short
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        Press(w, Qt::Key_Space);
        Press(w, Qt::Key_Space);
        Press(w, Qt::Key_Space);
        ASSERT_EQ(State(), RoundState::kWinners);
        EXPECT_EQ(data_->WinnerCount(prize), 5);
        Press(w, Qt::Key_Space);
        ASSERT_EQ(State(), RoundState::kPrize);
        const size_t before = fake_.messages.size();
        Press(w, Qt::Key_Space);
        ASSERT_EQ(fake_.messages.size(), before + 1);
        EXPECT_EQ(
            fake_.messages.back().text,
            QStringLiteral("剩余候选人数为零，无法继续后续抽奖环节。\n按 Esc 键回到设置界面。"));
        EXPECT_EQ(fake_.messages.back().caption, QStringLiteral("Vantoria"));
        EXPECT_EQ(fake_.messages.back().icon, Ui::Icon::Information);
        EXPECT_EQ(State(), RoundState::kPrize);
        EXPECT_FALSE(w.IsRolling());
        EXPECT_EQ(data_->WinnerCount(prize), 5);
        Press(w, Qt::Key_Escape);
    }));
}

TEST_F(ShowWindowTest, FinishedListScrollsAndEachPressRestartsIt) {
    AddCandidates(6);
    const int first = data_->AddPrize("一等奖", "电脑", 1, 1, QString(), 0);
    const int second = data_->AddPrize("二等奖", "手机", 2, 1, QString(), 1);
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        for (int i = 0; i < 7; ++i) Press(w, Qt::Key_Space);
        ASSERT_EQ(State(), RoundState::kFinished);
        const auto& a = *data_->WinnersOfPrize(first);
        const auto& b = *data_->WinnersOfPrize(second);
        EXPECT_EQ(w.Renderer().Lines(), QStringList({"祝 贺", "", "一等奖 电脑", a[0]->show, "",
                                                     "二等奖 手机", b[0]->show, b[1]->show}));

        const int start = w.Renderer().StatusBand().top() - 130;
        EXPECT_EQ(w.Renderer().ScrollOffset(), start);
        QTest::qWait(80);
        EXPECT_LT(w.Renderer().ScrollOffset(), start);
        Press(w, Qt::Key_Return);
        EXPECT_EQ(State(), RoundState::kFinished);
        EXPECT_EQ(w.Renderer().ScrollOffset(), start);
        EXPECT_TRUE(w.IsScrolling());
        EXPECT_EQ(w.Renderer().Lines().size(), 8);
    }));
}

TEST_F(ShowWindowTest, RollingTicksChangeTheNamesAndRepaintThem) {
    AddCandidates(40);
    data_->AddPrize("一等奖", "电脑", 3, 1, QString(), 0);
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        Press(w, Qt::Key_Space);
        Press(w, Qt::Key_Space);
        ASSERT_TRUE(w.IsRolling());
        RoundState& round = *engine_->Round();
        ASSERT_EQ(round.selection.size(), 3u);
        QStringList seen;
        for (int i = 0; i < 10; ++i) {
            QTest::qWait(25);
            w.repaint(w.Renderer().NamesArea());
            for (const RoundSelection& s : round.selection) seen.append(s.text);
        }
        seen.removeDuplicates();
        EXPECT_GT(seen.size(), 6);  // the pool runs through its names
        // The painted buffer holds the names of the latest tick in their cells.
        ASSERT_FALSE(round.selection.front().cell.isEmpty());
        int black = 0;
        const QRect cell = round.selection.front().cell;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                if (w.Buffer().pixel(x, y) == 0xFF000000u) ++black;
        EXPECT_GT(black, 50);
    }));
}

// At one to one the ticks go straight into the window's backing store, and after many of them
// what it holds is exactly a whole paint of the names now rolling.
TEST_F(ShowWindowTest, TicksIntoTheBackingStoreLeaveAWholeFrame) {
    if (QGuiApplication::primaryScreen()->devicePixelRatio() != 1.0)
        GTEST_SKIP() << "needs an unscaled screen";
    AddCandidates(80);
    data_->AddPrize("二等奖", "手机", 12, 1, QString(), 0);
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        Press(w, Qt::Key_Space);
        Press(w, Qt::Key_Space);
        ASSERT_TRUE(w.IsRolling());
        QTest::qWait(400);  // some twenty ticks, none of them asked for by the test
        ASSERT_TRUE(w.IsRolling());
        const auto* store = static_cast<const QImage*>(w.backingStore()->paintDevice());
        ASSERT_EQ(w.Buffer().constBits(), store->constBits()) << "not painted into the store";
        QImage whole(w.Buffer().size(), QImage::Format_RGB32);
        w.Renderer().Paint(whole, *engine_->Round());
        int differing = 0;
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x)
                differing += (w.Buffer().pixel(x, y) | 0xFF000000u) != whole.pixel(x, y);
        EXPECT_EQ(differing, 0);
    }));
}

// The sequence the X server sends for Space held two seconds on a busy machine: Qt cannot
// tell the release/press pairs are repeats, so they reach the window unflagged.
TEST_F(ShowWindowTest, SpaceHeldOnABusyX11ServerStepsOnce) {
    AddCandidates(60);
    const int prize = data_->AddPrize("幸运奖", "红包", 20, 10, QString(), 0);
    auto send = [](QWidget& w, QEvent::Type type, unsigned long at) {
        QKeyEvent e(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        e.setTimestamp(at);
        QApplication::sendEvent(&w, &e);
    };
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        Press(w, Qt::Key_Space);
        Press(w, Qt::Key_Space);
        ASSERT_EQ(State(), RoundState::kRolling);
        send(w, QEvent::KeyPress, 50000);
        for (unsigned long t = 50500; t < 52000; t += 33) {
            send(w, QEvent::KeyRelease, t);
            send(w, QEvent::KeyPress, t);
        }
        send(w, QEvent::KeyRelease, 52000);
        EXPECT_EQ(State(), RoundState::kWinners);
        EXPECT_EQ(data_->WinnerCount(prize), 2);  // one round, not all ten
        send(w, QEvent::KeyPress, 53000);         // the next deliberate press
        send(w, QEvent::KeyRelease, 53100);
        EXPECT_EQ(State(), RoundState::kPrize);
    }));
}

TEST_F(ShowWindowTest, PresenterRemoteKeysStepOnlyWhenAllowed) {
    AddCandidates(6);
    data_->AddPrize("一等奖", "电脑", 3, 1, QString(), 0);
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        for (int key : {Qt::Key_PageDown, Qt::Key_Right, Qt::Key_Down}) Press(w, key);
        EXPECT_EQ(State(), RoundState::kWelcome);
    }));
    data_->SetPresenterKeys(true);
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        Press(w, Qt::Key_PageDown);
        EXPECT_EQ(State(), RoundState::kPrize);
        Press(w, Qt::Key_Right);
        EXPECT_EQ(State(), RoundState::kRolling);
        Press(w, Qt::Key_Down);
        EXPECT_EQ(State(), RoundState::kWinners);
        Press(w, Qt::Key_PageUp);  // not a step key
        EXPECT_EQ(State(), RoundState::kWinners);
    }));
}

// Two winners are not in the room: both are voided, struck through, and the next rounds draw
// exactly those two places before the prize goes on as planned.
TEST_F(ShowWindowTest, AbsentWinnersAreVoidedAndRedrawn) {
    AddCandidates(30);
    const int prize = data_->AddPrize("二等奖", "手机", 6, 2, QString(), 0);
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        for (int i = 0; i < 3; ++i) Press(w, Qt::Key_Space);
        ASSERT_EQ(State(), RoundState::kWinners);
        w.repaint();  // lays out the cells
        RoundState& round = *engine_->Round();
        ASSERT_EQ(round.selection.size(), 3u);
        const QString absent = round.selection[1].text;
        const int32_t absentId = round.selection[1].candidate;
        const QPoint centre = round.selection[1].cell.center();

        // The question is the show's own, 否 first: Space after a stray click voids nobody.
        QTest::mouseClick(&w, Qt::LeftButton, {}, centre);
        ASSERT_TRUE(w.Prompt().has_value());
        EXPECT_EQ(w.Prompt()->text, absent + QStringLiteral(" 未到场，作废并补抽？"));
        EXPECT_FALSE(w.Prompt()->yesChosen);
        Press(w, Qt::Key_Space);
        EXPECT_FALSE(w.Prompt().has_value());
        EXPECT_EQ(data_->WinnerCount(prize), 3);
        EXPECT_EQ(State(), RoundState::kWinners);
        // The arrow keys choose 是, Enter answers.
        QTest::mouseClick(&w, Qt::LeftButton, {}, centre);
        Press(w, Qt::Key_Left);
        EXPECT_TRUE(w.Prompt()->yesChosen);
        Press(w, Qt::Key_Return);
        EXPECT_TRUE(round.selection[1].voided);
        EXPECT_EQ(data_->WinnerCount(prize), 2);
        // A click on 是.
        QTest::mouseClick(&w, Qt::LeftButton, {}, round.selection[2].cell.center());
        const QRect yes = w.Scale().ToLogical(PromptPainter::YesButton(w.Renderer().Geometry()));
        QTest::mouseClick(&w, Qt::LeftButton, {}, yes.center());
        EXPECT_EQ(data_->WinnerCount(prize), 1);
        for (const QString& text : fake_.MessageTexts())
            EXPECT_FALSE(text.contains(QStringLiteral("未到场"))) << text.toStdString();
        // Saved at once.
        EXPECT_EQ(AppData(root_).WinnerCount(prize), 1);

        Press(w, Qt::Key_Space);
        ASSERT_EQ(State(), RoundState::kPrize);
        EXPECT_EQ(round.redraw, 2);
        Press(w, Qt::Key_Space);
        EXPECT_EQ(round.selection.size(), 2u);
        Press(w, Qt::Key_Space);
        ASSERT_EQ(State(), RoundState::kWinners);
        EXPECT_EQ(data_->WinnerCount(prize), 3);
        // The prize then goes on with its second round of three.
        Press(w, Qt::Key_Space);
        EXPECT_EQ(round.redraw, 0);
        EXPECT_EQ(round.roundNumber, 2);
        EXPECT_EQ(round.batchSize, 3);
        for (int i = 0; i < 2; ++i) Press(w, Qt::Key_Space);
        EXPECT_EQ(data_->WinnerCount(prize), 6);
        for (const auto& winner : *data_->WinnersOfPrize(prize))
            EXPECT_NE(winner->candidate, absentId);  // out of the pool for the rest of the show
    }));
}

// The operator's hint shows on the welcome screen and for a while after each screen change;
// on the winners screen it says a name can be clicked. Kept for good when asked.
TEST_F(ShowWindowTest, TheKeyHintShowsAfterEachScreenChangeThenGoes) {
    AddCandidates(10);
    for (bool always : {false, true}) {
        SCOPED_TRACE(always);
        data_->AddPrize(always ? "一等奖" : "二等奖", "", 2, 1, QString(), always ? 0 : 1);
        data_->SetAlwaysShowHelp(always);
        ASSERT_TRUE(Run([&](ShowWindow& w) {
            w.SetHelpShownMs(50);
            EXPECT_EQ(w.Renderer().HelpText(), ShowWindow::HelpFor(RoundState::kWelcome));
            QTest::qWait(120);
            EXPECT_FALSE(w.Renderer().HelpText().isEmpty());  // the welcome screen keeps it
            for (int i = 0; i < 3; ++i) Press(w, Qt::Key_Space);
            ASSERT_EQ(State(), RoundState::kWinners);
            EXPECT_TRUE(w.Renderer().HelpText().contains(QStringLiteral("点击姓名")));
            QTest::qWait(150);
            EXPECT_EQ(w.Renderer().HelpText().isEmpty(), !always);
            w.reject();
        }));
    }
}

// With a projector connected the show and the design preview open on the screen chosen for
// them; without that choice, or with a screen that is gone, on the primary screen. Runs where
// the test platform has two screens (the "show-two-screens" test).
TEST_F(ShowWindowTest, OpensOnTheChosenScreen) {
    if (QGuiApplication::screens().size() < 2) GTEST_SKIP() << "needs two screens";
    QScreen* second = QGuiApplication::screens().at(1);
    ASSERT_NE(second, QGuiApplication::primaryScreen());
    AddCandidates(3);
    data_->AddPrize("一等奖", "电脑", 1, 1, QString(), 0);
    for (const auto& [chosen, expected] :
         {std::pair{second->name(), second}, std::pair{QString(), QGuiApplication::primaryScreen()},
          std::pair{QStringLiteral("DP-9"), QGuiApplication::primaryScreen()}}) {
        SCOPED_TRACE(chosen.toStdString());
        data_->SetShowScreen(chosen);
        ASSERT_TRUE(Run([&](ShowWindow& w) {
            EXPECT_EQ(w.geometry(), expected->geometry());
            EXPECT_EQ(w.screen(), expected);
            EXPECT_EQ(w.Renderer().ScreenRect().size(), expected->geometry().size());
        }));
        DesignWindow design(*data_);
        EXPECT_EQ(design.geometry(), expected->geometry());
    }
}

// A scaled desktop (a 4K panel at 200%): the show and the design preview are laid out and
// painted in device pixels, and clicks in window coordinates still find what is under them.
// Runs where the test platform scales its screen (the "show-scaled-desktop" test).
TEST_F(ShowWindowTest, ScaledDesktopPaintsInDevicePixels) {
    QScreen* primary = QGuiApplication::primaryScreen();
    const double ratio = primary->devicePixelRatio();
    if (ratio < 1.5) GTEST_SKIP() << "needs a scaled screen";
    const QSize pixels = (QSizeF(primary->geometry().size()) * ratio).toSize();
    AddCandidates(30);
    data_->AddPrize("二等奖", "手机", 3, 1, QString(), 0);
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        EXPECT_EQ(w.Renderer().ScreenRect().size(), pixels);
        EXPECT_EQ(w.Buffer().size(), pixels);
        for (int i = 0; i < 3; ++i) Press(w, Qt::Key_Space);
        ASSERT_EQ(State(), RoundState::kWinners);
        w.repaint();
        // What reaches the screen is the buffer, pixel for pixel.
        EXPECT_EQ(w.grab().toImage().convertToFormat(QImage::Format_RGB32),
                  w.Buffer().convertToFormat(QImage::Format_RGB32));
        const RoundState& round = *engine_->Round();
        const QPoint centre = round.selection[1].cell.center() / ratio;
        QTest::mouseClick(&w, Qt::LeftButton, {}, centre);
        ASSERT_TRUE(w.Prompt().has_value());
        EXPECT_EQ(w.Prompt()->text,
                  round.selection[1].text + QStringLiteral(" 未到场，作废并补抽？"));
        // The question's buttons are found in device pixels too.
        const QRect no = PromptPainter::NoButton(w.Renderer().Geometry());
        QTest::mouseClick(&w, Qt::LeftButton, {}, no.center() / ratio);
        EXPECT_FALSE(w.Prompt().has_value());
        EXPECT_FALSE(round.selection[1].voided);
    }));

    data_->SetLastFrame(2);  // the rolling screen: three elements to pick
    DesignWindow design(*data_);
    design.show();
    EXPECT_EQ(design.Render().size(), pixels);
    EXPECT_EQ(design.grab().toImage().convertToFormat(QImage::Format_RGB32),
              design.Buffer().convertToFormat(QImage::Format_RGB32));
    const std::vector<int> offered = design.OfferedElements();
    ASSERT_GE(offered.size(), 3u);
    design.Toolbox().SelectElement(offered.front());
    for (auto it = offered.rbegin(); it != offered.rend(); ++it) {
        const QRect box = data_->FindSymbol(*it)->box;
        ASSERT_TRUE(QRect(QPoint(0, 0), pixels).contains(box.center())) << *it;
        QTest::mouseClick(&design, Qt::LeftButton, {}, box.center() / ratio);
        EXPECT_EQ(design.Toolbox().SelectedElement(), *it);
    }
}

// A round larger than one screen shows its winners page by page: each step shows the next page
// with its number in the status band, a click voids a name of the page on screen only, and the
// step after the last page goes on.
TEST_F(ShowWindowTest, ALargeRoundIsShownPageByPage) {
    AddCandidates(600);
    const int prize = data_->AddPrize("阳光普照奖", "电影票", 500, 1, QString(), 0);
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        Press(w, Qt::Key_Space);
        Press(w, Qt::Key_Space);
        ASSERT_EQ(State(), RoundState::kRolling);
        RoundState& round = *engine_->Round();
        const int pages = round.Pages();
        ASSERT_GT(pages, 1);
        EXPECT_TRUE(w.Renderer().StatusLineText(round).contains(
            QStringLiteral("正在抽取 500 人，分 %1 页显示").arg(pages)));
        Press(w, Qt::Key_Space);
        ASSERT_EQ(State(), RoundState::kWinners);
        EXPECT_EQ(data_->WinnerCount(prize), 500);
        for (int page = 0; page < pages; ++page) {
            EXPECT_EQ(round.page, page);
            EXPECT_TRUE(w.Renderer().StatusLineText(round).endsWith(
                QStringLiteral("第 %1/%2 页").arg(page + 1).arg(pages)));
            // The first cell of the page holds the page's first name.
            w.repaint();
            const size_t first = size_t(page * round.perPage);
            const QPoint at = w.Scale().ToLogical(round.selection[first].cell).center();
            EXPECT_EQ(w.EntryAt(at), int(first));
            Press(w, Qt::Key_Space);
        }
        EXPECT_EQ(State(), RoundState::kFinished);
        EXPECT_EQ(data_->WinnerCount(prize), 500);
        w.reject();
    }));
}

// The names stop with a short sound over the music; a sound that cannot play is told once and
// the show goes on silent; turned off, nothing is loaded.
TEST_F(ShowWindowTest, TheStopSoundPlaysOrIsToldOnce) {
    enum Kind { Good, Broken, Off };
    for (Kind kind : {Good, Broken, Off}) {
        SCOPED_TRACE(int(kind));
        Fresh();
        fake_.messages.clear();
        AddCandidates(6);
        const int prize = data_->AddPrize("一等奖", "电脑", 4, 2, QString(), 0);
        if (kind == Broken) {
            QFile bad(root_ + "bad.wav");
            ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
            bad.write("RIFF not really");
            bad.close();
            data_->SetStopSoundFile(root_ + "bad.wav");
        }
        if (kind == Off) data_->SetStopSoundEnabled(false);
        ASSERT_TRUE(Run([&](ShowWindow& w) {
            QTest::qWait(20);  // the music and the sound are opened once the first screen is up
            EXPECT_EQ(w.StopSound().IsLoaded(), kind == Good);
            for (int round = 0; round < 2; ++round) {
                Press(w, Qt::Key_Space);
                Press(w, Qt::Key_Space);
                ASSERT_EQ(State(), RoundState::kRolling);
                Press(w, Qt::Key_Space);
                ASSERT_EQ(State(), RoundState::kWinners);
                EXPECT_EQ(w.StopSound().IsPlaying(), kind == Good);
            }
            EXPECT_EQ(data_->WinnerCount(prize), 4);
            w.reject();
        }));
        int told = 0;
        for (const Ui::Message& m : fake_.messages)
            if (m.text.startsWith(QStringLiteral("无法播放停止音效："))) ++told;
        EXPECT_EQ(told, kind == Broken ? 1 : 0);
    }
}

// Drawn by mobile number, the winners screen, the question to void and the finished list show
// 138****8000; what is kept stays whole.
TEST_F(ShowWindowTest, MobileNumbersAreHalfHiddenOnTheProjector) {
    for (int i = 0; i < 3; ++i)
        data_->AddCandidate(QString::number(i), QStringLiteral("员工%1").arg(i), "",
                            QStringLiteral("1390013900%1").arg(i), i);
    data_->SetFieldType(3, true);
    const int prize = data_->AddPrize("一等奖", "电脑", 2, 1, QString(), 0);
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        for (int i = 0; i < 3; ++i) Press(w, Qt::Key_Space);
        ASSERT_EQ(State(), RoundState::kWinners);
        const RoundSelection& first = engine_->Round()->selection.front();
        EXPECT_EQ(first.Shown(), "139****" + first.text.right(4));
        w.repaint();
        w.AskToVoid(0);
        ASSERT_TRUE(w.Prompt());
        EXPECT_EQ(w.Prompt()->text, QStringLiteral("%1 未到场，作废并补抽？").arg(first.Shown()));
        Press(w, Qt::Key_N);
        const QStringList lines = ShowWindow::FinishedLines(*data_);
        EXPECT_EQ(lines.size(), 5);
        for (int i = 3; i < lines.size(); ++i) EXPECT_TRUE(lines[i].startsWith("139****"));
        w.reject();
    }));
    for (const auto& w : *data_->WinnersOfPrize(prize))
        EXPECT_EQ(w->show, data_->FindCandidate(w->candidate)->tel);
}

// Tab on the prize screen brings up the next prize still to draw and Shift+Tab the last; other
// screens ignore it, and the help line names it.
TEST_F(ShowWindowTest, TabChoosesWhichPrizeComesNext) {
    AddCandidates(10);
    const int a = data_->AddPrize("一等奖", "电脑", 1, 1, QString(), 0);
    const int b = data_->AddPrize("二等奖", "手机", 1, 1, QString(), 1);
    const int c = data_->AddPrize("三等奖", "耳机", 1, 1, QString(), 2);
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        Press(w, Qt::Key_Tab);  // the welcome screen: nothing
        EXPECT_EQ(State(), RoundState::kWelcome);
        Press(w, Qt::Key_Space);
        EXPECT_EQ(engine_->Round()->prizeId, a);
        EXPECT_TRUE(w.Renderer().HelpText().contains(QStringLiteral("Tab")));
        Press(w, Qt::Key_Tab);
        EXPECT_EQ(engine_->Round()->prizeId, b);
        QKeyEvent back(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
        QApplication::sendEvent(&w, &back);
        EXPECT_EQ(engine_->Round()->prizeId, a);
        QApplication::sendEvent(&w, &back);
        EXPECT_EQ(engine_->Round()->prizeId, c);
        for (int i = 0; i < 2; ++i) Press(w, Qt::Key_Space);
        EXPECT_EQ(State(), RoundState::kWinners);
        Press(w, Qt::Key_Tab);  // not on the winners screen
        EXPECT_EQ(engine_->Round()->prizeId, c);
        // Two prizes left, then one: the help names Tab only while there is a choice.
        for (const bool choice : {true, false}) {
            Press(w, Qt::Key_Space);
            ASSERT_EQ(State(), RoundState::kPrize);
            EXPECT_EQ(w.Renderer().HelpText().contains(QStringLiteral("Tab")), choice);
            EXPECT_TRUE(w.Renderer().HelpText().contains(QStringLiteral("A 键加奖")));
            const int shown = engine_->Round()->prizeId;
            Press(w, Qt::Key_Tab);
            EXPECT_EQ(engine_->Round()->prizeId == shown, !choice);
            Press(w, Qt::Key_Backtab);
            EXPECT_EQ(engine_->Round()->prizeId, shown);
            for (int i = 0; i < 2; ++i) Press(w, Qt::Key_Space);
            ASSERT_EQ(State(), RoundState::kWinners);
        }
        w.reject();
    }));
    EXPECT_EQ(data_->WinnerCount(c), 1);
    EXPECT_EQ(data_->WinnerCount(a), 1);
    EXPECT_EQ(data_->WinnerCount(b), 1);
}

// A on the prize screen opens 加奖 over the show; the prize given is the one on screen next.
TEST_F(ShowWindowTest, APrizeIsAddedFromTheShow) {
    AddCandidates(10);
    data_->AddPrize("一等奖", "电脑", 1, 1, QString(), 0);
    dialogs_ = [](QDialog& d) {
        auto* dialog = dynamic_cast<AddPrizeDialog*>(&d);
        EXPECT_NE(dialog, nullptr);
        if (!dialog) return int(QDialog::Rejected);
        dialog->NameEdit()->setText(QStringLiteral("总经理特别奖"));
        dialog->CountBox()->setValue(2);
        dialog->RoundsBox()->setValue(3);  // more rounds than winners: told, still open
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        EXPECT_EQ(dialog->result(), 0);
        dialog->RoundsBox()->setValue(1);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        return dialog->result();
    };
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        Press(w, Qt::Key_Space);
        EXPECT_TRUE(w.Renderer().HelpText().contains(QStringLiteral("按 A 键加奖")));
        Press(w, Qt::Key_A);
        const Prize* added = data_->FindPrize(engine_->Round()->prizeId);
        ASSERT_NE(added, nullptr);
        EXPECT_EQ(added->name, QStringLiteral("总经理特别奖"));
        EXPECT_EQ(engine_->Round()->batchSize, 2);
        w.reject();
    }));
    EXPECT_TRUE(fake_.MessageTexts().contains(QStringLiteral("轮数不能多于中奖人数。")));
}

}  // namespace
