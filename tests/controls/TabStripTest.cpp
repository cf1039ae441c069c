#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <vector>

#include "app/Notices.h"
#include "controls/Banner.h"
#include "controls/ControlBar.h"
#include "controls/TabStrip.h"

namespace {

// Stands in for the setup window and keeps every notice it hears.
class NoticeRecorder : public QWidget {
  public:
    struct Heard {
        int number;
        int argument;
    };
    std::vector<Heard> heard;

  protected:
    bool event(QEvent* e) override {
        if (NoticeEvent::NumberOf(e)) {
            const auto* n = static_cast<NoticeEvent*>(e);
            heard.push_back({n->Number(), n->Argument()});
            return true;
        }
        return QWidget::event(e);
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
    struct Case {
        QPoint point;
        int item;
    };
    const Case cases[] = {
        {{0, 0}, 0},    {{199, 47}, 0},  {{100, 48}, 1},  {{10, 95}, 1},
        {{10, 96}, 2},  {{10, 191}, 3},  {{10, 192}, -1}, {{10, 399}, -1},
        {{-1, 10}, -1}, {{200, 10}, -1}, {{50, -1}, -1},
    };
    for (int height : {400, 150}) {
        strip_->resize(200, height);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << "height " << height << " at " << c.point.x() << "," << c.point.y());
            EXPECT_EQ(strip_->HitTest(c.point), c.item);
        }
    }
}

TEST_F(TabStripTest, ClicksNotifyOnlyRealChanges) {
    EXPECT_EQ(strip_->SelectedIndex(), -1);
    QTest::mouseClick(strip_, Qt::LeftButton, {}, QPoint(100, 60));
    ASSERT_EQ(parent_.heard.size(), 1u);
    EXPECT_EQ(parent_.heard[0].number, WM_SELECT_TAB);
    EXPECT_EQ(parent_.heard[0].argument, 1);
    EXPECT_EQ(strip_->SelectedIndex(), 1);

    // The same item again, below the last item, and the right button: no notice.
    QTest::mouseClick(strip_, Qt::LeftButton, {}, QPoint(100, 90));
    QTest::mouseClick(strip_, Qt::LeftButton, {}, QPoint(100, 250));
    QTest::mouseClick(strip_, Qt::RightButton, {}, QPoint(100, 160));
    EXPECT_EQ(parent_.heard.size(), 1u);
    EXPECT_EQ(strip_->SelectedIndex(), 1);

    // The owner selects: a change notifies, a repeat does not, nonsense is ignored.
    strip_->Select(3);
    strip_->Select(3);
    strip_->Select(4);
    strip_->Select(-1);
    ASSERT_EQ(parent_.heard.size(), 2u);
    EXPECT_EQ(parent_.heard[1].argument, 3);
    EXPECT_EQ(strip_->SelectedIndex(), 3);
}

TEST_F(TabStripTest, HandCursorOnlyOverItems) {
    QTest::mouseMove(strip_, QPoint(100, 20));
    EXPECT_EQ(strip_->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(strip_, QPoint(100, 300));
    EXPECT_FALSE(strip_->testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(strip_->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(strip_, QPoint(100, 191));
    EXPECT_EQ(strip_->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(TabStripTest, SelectionIsWhiteFromX5AndTheRestLightGrey) {
    strip_->Select(2);
    const QImage shot = strip_->grab().toImage();
    const QRgb grey = 0xFFF0F0F0;
    const QRgb white = 0xFFFFFFFF;
    struct Case {
        int x, y;
        QRgb colour;
    };
    // Sample at the edges of the text-free margins of each band.
    const Case cases[] = {
        {4, 2 * 48 + 3, grey},
        {5, 2 * 48 + 3, white},
        {199, 2 * 48 + 3, white},
        {10, 2 * 48 + 47, white},
        {10, 2 * 48 + 48, grey},
        {10, 2 * 48 - 1, grey},
        {10, 3, grey},
        {10, 300, grey},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(shot.pixel(c.x, c.y) | 0xFF000000u, c.colour);
    }
    // Some caption ink lies in the middle of a band.
    bool ink = false;
    for (int x = 0; x < 200 && !ink; ++x)
        for (int y = 48 + 10; y < 48 + 38 && !ink; ++y) ink = qGray(shot.pixel(x, y)) < 128;
    EXPECT_TRUE(ink);
}

TEST(ControlBarTest, StartButtonStays400WideAtTheRightEndAndNotifies) {
    for (int width : {780, 600, 300}) {
        SCOPED_TRACE(width);
        NoticeRecorder parent;
        parent.resize(width, 60);
        auto* bar = new ControlBar(&parent);
        bar->setGeometry(0, 0, width, 60);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
        EXPECT_EQ(bar->objectName(), QStringLiteral("VT_CONTROL_BAR"));
        QPushButton* start = bar->StartButton();
        EXPECT_EQ(start->text(), QStringLiteral("开始抽奖"));
        EXPECT_TRUE(start->isDefault());
        EXPECT_EQ(start->geometry(), QRect(QPoint(width - 408, 8), QPoint(width - 9, 51)));
        QTest::mouseClick(start, Qt::LeftButton);
        ASSERT_EQ(parent.heard.size(), 1u);
        EXPECT_EQ(parent.heard[0].number, WM_START_DRAW);
        if (width >= 408) {
            const QImage shot = bar->grab().toImage();
            EXPECT_EQ(shot.pixel(3, 30) | 0xFF000000u, 0xFFD9D9D9u);
        }
    }
}

TEST(BannerTest, DrawsTheCompiledInPictureUnscaled) {
    QWidget parent;
    auto* banner = new Banner(&parent);
    banner->setGeometry(0, 0, 780, 90);
    EXPECT_EQ(banner->objectName(), QStringLiteral("VT_Banner"));
    ASSERT_FALSE(banner->Picture().isNull());
    EXPECT_EQ(banner->Picture().size(), QSize(774, 89));
    const QImage shot = banner->grab().toImage();
    const QImage picture = banner->Picture().convertToFormat(QImage::Format_RGB32);
    for (QPoint p : {QPoint(0, 0), QPoint(400, 45), QPoint(773, 88)})
        EXPECT_EQ(shot.pixel(p) | 0xFF000000u, picture.pixel(p) | 0xFF000000u);
}

}  // namespace
