#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QImage>
#include <QRegion>
#include <QTemporaryDir>

#include <memory>

#include "draw/RoundState.h"
#include "model/AppData.h"
#include "show/NameGrid.h"
#include "show/ShowRenderer.h"

namespace {

// Long "姓名 部门" keys of the kind a company list has, mixed with short ones.
std::vector<RoundSelection> Round(int n) {
    static const QString kKeys[] = {
        QStringLiteral("王芳 财务部"), QStringLiteral("欧阳娜娜 市场营销中心华东大区"),
        QStringLiteral("李四 研发部"), QStringLiteral("司马相如 人力资源与行政管理部"),
        QStringLiteral("Alexander Chen 国际业务部")};
    std::vector<RoundSelection> out;
    for (int i = 0; i < n; ++i)
        out.push_back(RoundSelection{i, kKeys[i % 5], QRect(), false, QString()});
    return out;
}

class NameGridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        data_ = std::make_unique<AppData>(dir_.path() + "/");
    }
    std::unique_ptr<ShowRenderer> Renderer(QSize screen, int mode) {
        data_->SetPrizeUIType(mode);
        auto r = std::make_unique<ShowRenderer>(*data_);
        r->Layout(QRect(QPoint(0, 0), screen));
        // Sizes are resolved against the target, as in a show.
        QImage target(screen, QImage::Format_ARGB32_Premultiplied);
        RoundState nothing;
        r->Paint(target, nothing);
        return r;
    }

    QTemporaryDir dir_;
    std::unique_ptr<AppData> data_;
};

// The rounds of a party at every screen size: each page's names are at least the floor size,
// stand inside their own cells, never overlap, and every name of the round is on a page.
TEST_F(NameGridTest, EveryRoundIsReadableOnEveryScreen) {
    for (QSize screen : {QSize(1280, 720), QSize(1920, 1080), QSize(3840, 2160)})
        for (int mode : {0, 1})
            for (int n : {1, 2, 3, 12, 30, 100, 150, 500}) {
                SCOPED_TRACE(testing::Message()
                             << screen.width() << " mode " << mode << " n " << n);
                auto r = Renderer(screen, mode);
                RoundState round;
                round.state = RoundState::kWinners;
                round.batchSize = n;
                round.selection = Round(n);
                std::vector<QString> texts;
                for (const RoundSelection& s : round.selection) texts.push_back(s.text);
                r->PlanNames(round, texts);
                r->LayoutGrid(round);
                ASSERT_GE(round.namesPointSize, r->NamesFloorSize());
                if (n <= 3) {
                    EXPECT_EQ(round.columns, 1);
                }
                const int pages = round.Pages();
                EXPECT_GE(pages * round.perPage, n);
                EXPECT_LT((pages - 1) * round.perPage, n);

                const QFontMetricsF metrics(r->ShowFont(QString(), round.namesPointSize));
                std::vector<QRect> page;
                for (size_t i = 0; i < round.selection.size(); ++i) {
                    const RoundSelection& s = round.selection[i];
                    ASSERT_TRUE(r->NamesArea().contains(s.cell));
                    EXPECT_LE(metrics.horizontalAdvance(s.text), s.cell.width());
                    EXPECT_LE(metrics.height(), s.cell.height());
                    if (int(i) / round.perPage == 0) page.push_back(s.cell);
                }
                for (size_t a = 0; a < page.size(); ++a)
                    for (size_t b = a + 1; b < page.size(); ++b)
                        ASSERT_FALSE(page[a].intersects(page[b])) << a << " " << b;
            }
}

// A hundred winners drawn by name at 1080p are one page, in more columns than the old limit of
// three, at a size the back of a hall reads (with any CJK face); 500 long keys in picture mode
// take pages.
TEST_F(NameGridTest, LargeRoundsGetColumnsThenPages) {
    auto r = Renderer({1920, 1080}, 0);
    RoundState round;
    round.batchSize = 100;
    round.selection = Round(100);
    r->PlanNames(round, {QStringLiteral("王小芳"), QStringLiteral("李四")});
    EXPECT_EQ(round.Pages(), 1);
    EXPECT_GT(round.columns, 3);
    EXPECT_GE(round.namesPointSize, r->NamesFloorSize());

    auto pictured = Renderer({1920, 1080}, 1);
    round.batchSize = 500;
    round.selection = Round(500);
    std::vector<QString> texts;
    for (const RoundSelection& s : round.selection) texts.push_back(s.text);
    pictured->PlanNames(round, texts);
    EXPECT_GT(round.Pages(), 1);
    EXPECT_TRUE(round.OnPage(0));
    EXPECT_FALSE(round.OnPage(size_t(round.perPage)));
}

// Bad input: a round of 100,000, a name of 200 characters and an empty key text all plan a grid
// of whole cells in bounded time.
TEST(NameGridPlanTest, HostileRoundsStillPlanAGrid) {
    const QSize area(1500, 700);
    struct Case {
        int count;
        QSizeF text;  // extent at the reference size
    } cases[] = {
        {100000, {500, 130}}, {1, {20000, 130}}, {40, {20000, 130}}, {12, {0, 0}}, {0, {500, 130}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        const NameGrid grid = NameGrid::Plan(area, c.count, c.text, 18);
        EXPECT_GE(grid.columns, 1);
        EXPECT_GE(grid.rows, 1);
        EXPECT_GE(grid.perPage, 1);
        EXPECT_GE(grid.columns * grid.rows, grid.perPage);
        EXPECT_GE(int64_t(grid.pages) * grid.perPage, c.count);
        const QRect last = grid.Cell(QRect(QPoint(0, 0), area), grid.perPage - 1);
        EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(last));
        EXPECT_FALSE(last.isEmpty());
    }
    // Pages share a round evenly rather than leaving a last page of one.
    const NameGrid big = NameGrid::Plan(area, 100000, {500, 130}, 18);
    EXPECT_LT(int64_t(big.pages - 1) * big.perPage, 100000);
}

// Rolling ticks repaint only where the last names were and the new ones are, and leave the
// screen exactly as a full paint of the same names would: into a plain buffer and into a
// premultiplied one, as a window's backing store often is.
TEST_F(NameGridTest, ATickRepaintsOnlyTheNamesAndMatchesAFullPaint) {
    const QSize screen(1920, 1080);
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        SCOPED_TRACE(int(format));
        auto r = Renderer(screen, 0);
        RoundState round;
        round.state = RoundState::kRolling;
        round.batchSize = 12;
        round.selection = Round(12);
        std::vector<QString> texts;
        for (const RoundSelection& s : round.selection) texts.push_back(s.text);
        r->PlanNames(round, texts);
        QImage ticked(screen, format);
        r->Paint(ticked, round);

        // Ticks of other names, shorter and longer, their cells laid out anew.
        const QString names[][2] = {{QStringLiteral("李四"), QStringLiteral("王芳 财务部")},
                                    {QStringLiteral("欧阳娜娜 人力资源部"), QString()},
                                    {QStringLiteral("Li"), QStringLiteral("赵伟 研发部")}};
        for (const auto& pair : names) {
            for (size_t i = 0; i < round.selection.size(); ++i) {
                round.selection[i].text = pair[i % 2];
                round.selection[i].cell = QRect();
            }
            const QRegion dirty = r->PaintNames(ticked, round);
            qint64 dirtyArea = 0;
            for (const QRect& rect : dirty) dirtyArea += qint64(rect.width()) * rect.height();
            const QRect area = r->NamesArea();
            EXPECT_GT(dirtyArea, 0);
            EXPECT_LT(dirtyArea, qint64(area.width()) * area.height() * 3 / 4);
            EXPECT_TRUE(QRegion(area).contains(dirty.boundingRect()));
        }

        QImage full(screen, format);
        r->Paint(full, round);
        int differing = 0;
        for (int y = 0; y < screen.height(); ++y)
            for (int x = 0; x < screen.width(); ++x)
                if (ticked.pixel(x, y) != full.pixel(x, y)) ++differing;
        EXPECT_EQ(differing, 0);
    }
}

}  // namespace
