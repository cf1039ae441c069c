#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "draw/DrawEngine.h"
#include "draw/RoundState.h"
#include "model/AppData.h"
#include "show/ShowRenderer.h"
#include "stage/RollCompositor.h"
#include "stage/ShowScript.h"
#include "stage/ShowWindow.h"
#include "support/FakeUi.h"

// The rolling names drawn by the display server, checked against the display's own pixels:
// run under X (the show-x11 test); elsewhere only the fallback is checked.

namespace {

bool OnX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

class RollCompositorTest : public ::testing::Test {
  protected:
    void SetUp() override { Fresh(); }

    // A new program folder: 60 people, one prize of 12 in one round.
    void Fresh() {
        engine_.reset();
        data_.reset();
        const QString root = NewShowFolder(dir_);
        ASSERT_FALSE(root.isEmpty());
        data_ = std::make_unique<AppData>(root);
        // Names of every length, so a tick's names rarely cover the last tick's ink.
        // And an emoji, whatever the fonts make of it.
        const QString names[] = {"李",       "司马相如欧阳修文先生", "Zoë",
                                 "欧阳娜娜", "Łukasz Wąs",           "王🎉"};
        for (int i = 0; i < 60; ++i)
            data_->AddCandidate(QString::number(1000 + i), names[i % 6] + QString::number(i % 7),
                                QString(), QString(), i);
        data_->AddPrize("一等奖", "电脑", 12, 1, QString(), 0);
        engine_ = std::make_unique<DrawEngine>(*data_);
    }

    bool Run(const std::function<void(ShowWindow&)>& script) {
        ScriptHost host(*data_, *engine_, fake_);
        host.script = script;
        return engine_->StartDraw(host) && host.ran;
    }

    // Pixels of the names area where what the display shows is more than two levels from the
    // renderer's own painting of the same names.
    int Wrong(ShowWindow& w) {
        const QImage shown =
            w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        QImage expected(shown.size(), QImage::Format_RGB32);
        w.Renderer().Paint(expected, *engine_->Round());
        const QRect area = w.Renderer().NamesArea() & shown.rect();
        int wrong = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb a = shown.pixel(x, y), b = expected.pixel(x, y);
                if (std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))}) > 2)
                    ++wrong;
            }
        return wrong;
    }

    FakeUi fake_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppData> data_;
    std::unique_ptr<DrawEngine> engine_;
};

TEST_F(RollCompositorTest, TheDisplayShowsEachTickAsTheShowWouldPaintIt) {
    if (!OnX11()) {
        // Elsewhere the show draws its own ticks.
        QWidget window;
        window.show();
        EXPECT_EQ(RollCompositor::ForWindow(window), nullptr);
        return;
    }
    for (const bool inProcess : {false, true}) {
        SCOPED_TRACE(inProcess ? "drawn in the process" : "drawn by the display");
        if (inProcess) qputenv("VANTORIA_DRAW_IN_PROCESS", "1");
        Fresh();
        ASSERT_TRUE(Run([&](ShowWindow& w) {
            EXPECT_EQ(w.DrawsOnTheDisplay(), !inProcess);
            Press(w, Qt::Key_Space);
            Press(w, Qt::Key_Space);
            ASSERT_TRUE(w.IsRolling());
            for (int i = 0; i < 8; ++i) {
                QTest::qWait(45);  // two ticks, more or less
                ASSERT_EQ(Wrong(w), 0) << "after " << i + 1 << " waits";
            }
            EXPECT_EQ(w.DrawsOnTheDisplay(), !inProcess);  // never gave up on the way
            Press(w, Qt::Key_Space);                       // the winners, painted whole
            QTest::qWait(30);
            EXPECT_EQ(engine_->Round()->state, RoundState::kWinners);
            EXPECT_EQ(Wrong(w), 0);
        }));
        qunsetenv("VANTORIA_DRAW_IN_PROCESS");
    }
}

// A window over the show, gone again, gives the show back what Qt holds of it, which lacks the
// names the display drew: the next tick repaints it whole.
TEST_F(RollCompositorTest, UncoveredTheShowRollsOnWithoutLeftovers) {
    if (!OnX11()) GTEST_SKIP() << "needs an X display (the show-x11 test)";
    ASSERT_TRUE(Run([&](ShowWindow& w) {
        ASSERT_TRUE(w.DrawsOnTheDisplay());
        Press(w, Qt::Key_Space);
        Press(w, Qt::Key_Space);
        QTest::qWait(200);
        QWidget cover(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        cover.setGeometry(w.Renderer().NamesArea().adjusted(20, 20, -20, -20));
        cover.show();
        QTest::qWait(100);
        cover.hide();
        // Soon, before a later tick happens to cover what the backing store brought back.
        QTest::qWait(25);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(Wrong(w), 0) << "after " << i << " waits";
            QTest::qWait(45);
        }
    }));
}

}  // namespace
