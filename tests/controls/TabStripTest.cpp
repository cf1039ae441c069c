#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <vector>

#include "controls/Banner.h"
#include "controls/ControlBar.h"
#include "controls/TabStrip.h"
#include "ui/Notices.h"

namespace {

// Stands in for the setup window and keeps every notice it hears as (number, argument).
class NoticeRecorder : public QWidget {
  public:
    std::vector<std::pair<int, int>> heard;

  protected:
    bool event(QEvent* e) override {
        if (!NoticeEvent::NumberOf(e)) return QWidget::event(e);
        const auto* n = static_cast<NoticeEvent*>(e);
        heard.emplace_back(n->Number(), n->Argument());
        return true;
    }
};

class TabStripTest : public ::testing::Test {
  protected:
    void SetUp() override {
        parent_.resize(200, 400);
        strip_ = new TabStrip(&parent_);
        strip_->setGeometry(0, 0, 200, 400);
        for (const char* caption : {"抽奖名单", "奖项列表", "界面和规则", "中奖名单"})
            strip_->AddItem(QString::fromUtf8(caption));
        parent_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent_));
    }

    NoticeRecorder parent_;
    TabStrip* strip_ = nullptr;
};

TEST_F(TabStripTest, HitTestCoversFourBandsOf48PixelsWhateverTheHeight) {
    const std::pair<QPoint, int> cases[] = {
        {{0, 0}, 0},     {{199, 47}, 0},  {{100, 48}, 1}, {{10, 191}, 3},
        {{10, 192}, -1}, {{10, 399}, -1}, {{-1, 10}, -1}, {{200, 10}, -1},
    };
    for (int height : {400, 150}) {
        strip_->resize(200, height);
        for (const auto& [point, item] : cases) {
            SCOPED_TRACE(testing::Message() << height << " " << point.x() << "," << point.y());
            EXPECT_EQ(strip_->HitTest(point), item);
        }
    }
}

TEST_F(TabStripTest, NotifiesOnlyRealChanges) {
    using Heard = std::vector<std::pair<int, int>>;
    QTest::mouseClick(strip_, Qt::LeftButton, {}, QPoint(100, 60));
    EXPECT_EQ(parent_.heard, (Heard{{WM_SELECT_TAB, 1}}));
    // The same item again, below the last item, the right button: nothing.
    QTest::mouseClick(strip_, Qt::LeftButton, {}, QPoint(100, 90));
    QTest::mouseClick(strip_, Qt::LeftButton, {}, QPoint(100, 250));
    QTest::mouseClick(strip_, Qt::RightButton, {}, QPoint(100, 160));
    // The owner: a change notifies, a repeat and nonsense do not.
    strip_->Select(3);
    strip_->Select(3);
    strip_->Select(4);
    strip_->Select(-1);
    EXPECT_EQ(parent_.heard, (Heard{{WM_SELECT_TAB, 1}, {WM_SELECT_TAB, 3}}));
    EXPECT_EQ(strip_->SelectedIndex(), 3);
}

TEST_F(TabStripTest, HandCursorOnlyOverItems) {
    QTest::mouseMove(strip_, QPoint(100, 20));
    EXPECT_EQ(strip_->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(strip_, QPoint(100, 300));
    EXPECT_FALSE(strip_->testAttribute(Qt::WA_SetCursor));
    QTest::mouseMove(strip_, QPoint(100, 191));
    EXPECT_EQ(strip_->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(TabStripTest, SelectionIsWhiteFromX5AndTheRestLightGrey) {
    strip_->Select(2);
    const QImage shot = strip_->grab().toImage();
    const QRgb grey = 0xFFF0F0F0, white = 0xFFFFFFFF;
    const std::pair<QPoint, QRgb> cases[] = {
        {{4, 99}, grey},   {{5, 99}, white}, {{199, 99}, white}, {{10, 143}, white},
        {{10, 144}, grey}, {{10, 95}, grey}, {{10, 300}, grey},
    };
    for (const auto& [p, colour] : cases) {
        SCOPED_TRACE(testing::Message() << p.x() << "," << p.y());
        EXPECT_EQ(shot.pixel(p) | 0xFF000000u, colour);
    }
}

TEST(ControlBarTest, StartButtonStays400WideAtTheRightEndAndNotifies) {
    for (int width : {780, 300}) {
        SCOPED_TRACE(width);
        NoticeRecorder parent;
        parent.resize(width, 60);
        auto* bar = new ControlBar(&parent);
        bar->setGeometry(0, 0, width, 60);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
        EXPECT_EQ(bar->StartButton()->geometry(), QRect(width - 408, 8, 400, 44));
        QTest::mouseClick(bar->StartButton(), Qt::LeftButton);
        EXPECT_EQ(parent.heard, (std::vector<std::pair<int, int>>{{WM_START_DRAW, 0}}));
        EXPECT_EQ(bar->grab().toImage().pixel(width - 3, 30) | 0xFF000000u, 0xFFD9D9D9u);
    }
}

// The data folder beside the buttons wraps rather than being cut off, a Windows path too, and
// the whole of it is the tooltip.
TEST(ControlBarTest, TheDataFolderWrapsInsideItsPlace) {
    for (const QString& folder :
         {QStringLiteral("C:\\Users\\Administrator\\AppData\\Roaming\\Vantoria\\"),
          QStringLiteral("/home/operator/.local/share/Vantoria/")}) {
        SCOPED_TRACE(folder.toStdString());
        NoticeRecorder parent;
        parent.resize(780, 60);
        auto* bar = new ControlBar(&parent);
        bar->setGeometry(0, 0, 780, 60);
        bar->SetDataFolder(folder);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
        const QLabel* status = bar->Status();
        EXPECT_LT(status->geometry().right(), bar->GuideButton()->geometry().left());
        const QRect needed = status->fontMetrics().boundingRect(QRect(0, 0, status->width(), 1000),
                                                                Qt::TextWordWrap, status->text());
        EXPECT_LE(needed.width(), status->width());
        EXPECT_LE(needed.height(), status->height());
        EXPECT_EQ(status->toolTip(),
                  QStringLiteral("数据文件夹：") + QDir::toNativeSeparators(folder));
    }
}

TEST(BannerTest, DrawsTheCompiledInPictureUnscaled) {
    Banner banner;
    banner.resize(780, 90);
    ASSERT_EQ(banner.Picture().size(), QSize(774, 89));
    const QImage shot = banner.grab().toImage();
    for (QPoint p : {QPoint(0, 0), QPoint(400, 45), QPoint(773, 88)})
        EXPECT_EQ(shot.pixel(p) | 0xFF000000u, banner.Picture().pixel(p) | 0xFF000000u);
}

}  // namespace
