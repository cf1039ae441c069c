#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include <memory>

#include "draw/RoundState.h"
#include "model/AppData.h"
#include "model/DesignSymbol.h"
#include "show/ShowRenderer.h"

// Screens of every size show the same picture at their own resolution, and names never leave
// their cells.

namespace {

class ShowScalingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        data_ = std::make_unique<AppData>(dir_.path() + "/");
    }
    std::unique_ptr<ShowRenderer> Renderer(QSize screen, int mode = 1) {
        data_->SetPrizeUIType(mode);
        auto r = std::make_unique<ShowRenderer>(*data_);
        r->Layout(QRect(QPoint(0, 0), screen));
        return r;
    }
    static QImage Target(QSize size) {
        QImage img(size, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        return img;
    }
    static std::vector<RoundSelection> Names(const QStringList& texts) {
        std::vector<RoundSelection> out;
        for (int i = 0; i < texts.size(); ++i)
            out.push_back(RoundSelection{i, texts[i], QRect(), false, QString()});
        return out;
    }

    QTemporaryDir dir_;
    std::unique_ptr<AppData> data_;
};

// Each area of a 4K screen is the 1080p one doubled (to a pixel of rounding); 720p keeps the
// 1080p sizes so its status lines stay readable.
TEST_F(ShowScalingTest, FourKLaysOutLikeFullHdDoubled) {
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        auto hd = Renderer({1920, 1080}, mode);
        auto uhd = Renderer({3840, 2160}, mode);
        EXPECT_EQ(hd->Scale(), 1.0);
        EXPECT_EQ(uhd->Scale(), 2.0);
        EXPECT_EQ(uhd->LineHeight(), 2 * hd->LineHeight());
        const std::pair<QRect, QRect> areas[] = {
            {hd->StatusBand(), uhd->StatusBand()},
            {hd->TopBand(), uhd->TopBand()},
            {hd->MainArea(), uhd->MainArea()},
            {hd->NamesArea(), uhd->NamesArea()},
            {hd->SmallPrizeBox(), uhd->SmallPrizeBox()},
            {hd->SmallPictureBox(), uhd->SmallPictureBox()},
        };
        for (const auto& [a, b] : areas) {
            EXPECT_NEAR(b.x(), 2 * a.x(), 2);
            EXPECT_NEAR(b.y(), 2 * a.y(), 2);
            EXPECT_NEAR(b.width(), 2 * a.width(), 2);
            EXPECT_NEAR(b.height(), 2 * a.height(), 2);
        }
    }
    EXPECT_EQ(Renderer({1280, 720})->StatusBand().height(), ShowRenderer::kStatusBandHeight);
}

// The status and help lines keep their proportion of the screen: at 4K they are drawn twice as
// tall as at 1080p.
TEST_F(ShowScalingTest, StatusLinesGrowWithTheScreen) {
    auto textHeight = [&](QSize size) {
        auto r = Renderer(size);
        RoundState round;
        QImage img = Target(size);
        r->Paint(img, round);
        const QRect band = r->StatusBand();
        int top = -1, bottom = -1;
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = 0; x < size.width(); x += 1)
                if (img.pixel(x, y) == ShowRenderer::kStatusColor) {
                    if (top < 0) top = y;
                    bottom = y;
                    break;
                }
        return bottom - top;
    };
    const int hd = textHeight({1920, 1080});
    const int uhd = textHeight({3840, 2160});
    ASSERT_GT(hd, 5);
    EXPECT_NEAR(double(uhd) / hd, 2.0, 0.25);
}

// One size for all names of a roll, fitted to the widest the pool holds: every name, the
// longest included, stays inside its cell. The long name is too wide for the size the short
// ones get whatever the face (Windows' sans-serif fallback has narrower spaces and Latin).
TEST_F(ShowScalingTest, EveryNameOfThePoolFitsItsCell) {
    data_->FindSymbol(3)->FontName = QString();
    for (QSize size : {QSize(1280, 720), QSize(1920, 1080), QSize(3840, 2160)}) {
        SCOPED_TRACE(size.width());
        auto r = Renderer(size);
        const QStringList pool = {"王芳 财务部", "欧阳娜娜 市场营销中心华东大区第二销售部一组",
                                  "李四 研发部", "Alexander Christopherson 国际业务部"};
        RoundState round;
        round.selection = Names(QStringList() << pool << pool << pool);
        round.batchSize = 12;
        r->PlanNames(round, std::vector<QString>(pool.begin(), pool.end()));
        const int size12 = round.namesPointSize;
        r->LayoutGrid(round);
        const QFontMetricsF metrics(r->ShowFont(QString(), size12));
        for (const RoundSelection& s : round.selection) {
            EXPECT_LE(metrics.horizontalAdvance(s.text), s.cell.width()) << s.text.toStdString();
            EXPECT_LE(metrics.height(), s.cell.height());
        }
        // A room of short names gets larger type than one with a long name.
        EXPECT_GT(r->FitNamesFont({"王芳", "李四"}, 12), size12);
    }
}

// A name too long for any legible size is shortened, never drawn across its neighbours.
TEST_F(ShowScalingTest, ANameTooLongForTheFloorIsShortenedInsideItsCell) {
    const QSize size(1920, 1080);
    auto r = Renderer(size, 0);
    RoundState round;
    round.state = RoundState::kWinners;
    round.selection = Names({QString(200, QChar(u'长')), "短", "短", "短", "短", "短"});
    round.namesPointSize = r->FitNamesFont({round.selection[0].text, round.selection[1].text}, 6);
    EXPECT_EQ(round.namesPointSize, r->NamesFloorSize());
    QImage img = Target(size);
    r->Paint(img, round);
    QImage bare = Target(size);
    RoundState empty;
    empty.state = RoundState::kWinners;
    r->Paint(bare, empty);
    // Left of the first cell's right edge everything may change; the neighbour column must
    // only hold its own short name.
    const QRect first = round.selection[0].cell;
    const QRect neighbour = round.selection[1].cell;
    int changedBetween = 0;
    for (int y = first.top(); y <= first.bottom(); ++y)
        for (int x = first.right() + 1; x < neighbour.center().x() - 60; ++x)
            if (img.pixel(x, y) != bare.pixel(x, y)) ++changedBetween;
    EXPECT_EQ(changedBetween, 0);
}

TEST_F(ShowScalingTest, VoidedNamesAreStruckAndRehearsalsAreMarked) {
    const QSize size(1920, 1080);
    auto r = Renderer(size, 0);
    RoundState round;
    round.state = RoundState::kWinners;
    round.selection = Names({"张三", "李四"});
    QImage plain = Target(size);
    r->Paint(plain, round);
    round.selection[1].voided = true;
    round.selection[1].cell = QRect();
    round.selection[0].cell = QRect();
    QImage struck = Target(size);
    r->Paint(struck, round);
    const QRect a = round.selection[0].cell;
    const QRect b = round.selection[1].cell;
    auto changed = [&](const QRect& cell) {
        int n = 0;
        for (int x = cell.left(); x <= cell.right(); ++x)
            n += plain.pixel(x, cell.center().y()) != struck.pixel(x, cell.center().y());
        return n;
    };
    EXPECT_EQ(changed(a), 0);
    EXPECT_GT(changed(b), 40);

    round.rehearsal = true;
    QImage marked = Target(size);
    r->Paint(marked, round);
    int blue = 0;
    for (int y = 24; y < 80; ++y)
        for (int x = 24; x < 120; ++x)
            blue += qBlue(marked.pixel(x, y)) > 150 && qRed(marked.pixel(x, y)) < 100;
    EXPECT_GT(blue, 200);
}

TEST_F(ShowScalingTest, TheStatusLineNamesARedrawInsteadOfTheRound) {
    const int prize = data_->AddPrize("二等奖", "手机", 6, 2, QString(), 0);
    auto r = Renderer({1920, 1080});
    RoundState round;
    round.prizeId = prize;
    round.roundNumber = 1;
    round.batchSize = 3;
    EXPECT_EQ(r->StatusLineText(round),
              QStringLiteral("二等奖 手机  当前：第 1 轮 3 人  总：2 轮 6 人  剩余候选人数：0"));
    round.redraw = 2;
    EXPECT_EQ(r->StatusLineText(round),
              QStringLiteral("二等奖 手机  补抽 2 人  总：2 轮 6 人  剩余候选人数：0"));
}

}  // namespace
