#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <memory>
#include <set>

#include "draw/RoundState.h"
#include "model/AppData.h"
#include "model/DesignSymbol.h"
#include "show/ShowLayout.h"
#include "show/ShowRenderer.h"

namespace {

void WriteSolid(const QString& path, QSize size, QRgb color) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage img(size, QImage::Format_ARGB32);
    img.fill(color);
    ASSERT_TRUE(img.save(path, "PNG")) << path.toStdString();
}

int CountColor(const QImage& img, const QRect& area, QRgb color) {
    int n = 0;
    const QRect r = area & img.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixel(x, y) == color) ++n;
    return n;
}

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance && qAlpha(a) == qAlpha(b);
}

class ShowRendererTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path() + "/";
        data_ = std::make_unique<AppData>(root_);
    }

    std::unique_ptr<ShowRenderer> MakeRenderer(int mode, QSize screen = {1920, 1080}) {
        data_->SetPrizeUIType(mode);
        auto r = std::make_unique<ShowRenderer>(*data_);
        r->Layout(QRect(QPoint(0, 0), screen));
        return r;
    }

    QImage Target(QSize size = {1920, 1080}) {
        QImage img(size, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        return img;
    }

    static void Fill(RoundState& round, int n, const QString& stem = QStringLiteral("张三")) {
        round.selection.clear();
        for (int i = 0; i < n; ++i) {
            RoundSelection s;
            s.candidate = i;
            s.text = stem + QString::number(i + 1).rightJustified(2, '0');
            round.selection.push_back(s);
        }
    }

    QTemporaryDir dir_;
    QString root_;
    std::unique_ptr<AppData> data_;
};

// The built-in backgrounds have fireworks, lanterns and stars in their upper corners and a gold
// frame: the small title, the names and the picture keep out of them.
TEST_F(ShowRendererTest, TextKeepsOutOfTheOrnamentsOfTheBuiltInBackgrounds) {
    struct Case {
        const char* file;
        QRect title;
        int namesTop, namesRight, pictureLeft;
    };
    for (const Case& c : {Case{"image/default.jpg", QRect(499, 0, 922, 199), 351, 1871, 48},
                          Case{"image/hydt.jpg", QRect(422, 0, 1076, 199), 313, 1871, 48},
                          Case{"mine/party.jpg", QRect(0, 0, 1920, 199), 299, 1899, 24}}) {
        SCOPED_TRACE(c.file);
        const ShowLayout layout(QRect(0, 0, 1920, 1080), true,
                                ShowLayout::OrnamentsOf(QString::fromLatin1(c.file)));
        EXPECT_EQ(layout.TitleBox(), c.title);
        EXPECT_EQ(layout.NamesArea().top(), c.namesTop);
        EXPECT_EQ(layout.NamesArea().right(), c.namesRight);
        EXPECT_EQ(layout.PictureColumn().left(), c.pictureLeft);
        EXPECT_EQ(layout.SmallPictureBox().left(), c.pictureLeft);
    }
}

// Every rectangle of the layout, from the integer arithmetic of a W x H screen.
TEST_F(ShowRendererTest, LayoutRectanglesForBothModes) {
    struct Case {
        QSize screen;
        int mode;
        QRect main, column, smallPrize, smallPicture, names;
        QRect welcome, top, status;
    };
    const Case cases[] = {
        {{1920, 1080},
         1,
         QRect(537, 199, 1383, 796),
         // The picture column keeps a margin from the left edge.
         QRect(24, 199, 513, 796),
         QRect(24, 199, 513, 302),
         QRect(24, 511, 513, 404),
         QRect(557, 299, 1343, 596),
         QRect(0, 0, 1920, 995),
         QRect(0, 0, 1920, 199),
         QRect(0, 995, 1920, 85)},
        {{1920, 1080},
         0,
         QRect(0, 199, 1920, 796),
         QRect(),
         QRect(0, 199, 1920, 80),
         QRect(),
         QRect(20, 299, 1880, 596),
         QRect(0, 0, 1920, 995),
         QRect(0, 0, 1920, 199),
         QRect(0, 995, 1920, 85)},
        {{1280, 720},
         1,
         QRect(358, 127, 922, 508),
         QRect(24, 127, 334, 508),
         QRect(24, 127, 334, 193),
         QRect(24, 330, 334, 225),
         QRect(378, 227, 882, 308),
         QRect(0, 0, 1280, 635),
         QRect(0, 0, 1280, 127),
         QRect(0, 635, 1280, 85)},
        {{1280, 720},
         2,
         QRect(0, 127, 1280, 508),
         QRect(),
         QRect(0, 127, 1280, 80),
         QRect(),
         QRect(20, 227, 1240, 308),
         QRect(0, 0, 1280, 635),
         QRect(0, 0, 1280, 127),
         QRect(0, 635, 1280, 85)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.screen.width() << "x" << c.screen.height() << " mode " << c.mode);
        auto r = MakeRenderer(c.mode, c.screen);
        EXPECT_EQ(r->ScreenRect(), QRect(QPoint(0, 0), c.screen));
        EXPECT_EQ(r->WelcomeArea(), c.welcome);
        EXPECT_EQ(r->TopBand(), c.top);
        EXPECT_EQ(r->StatusBand(), c.status);
        EXPECT_EQ(r->MainArea(), c.main);
        EXPECT_EQ(r->PictureColumn(), c.column);
        EXPECT_EQ(r->SmallPrizeBox(), c.smallPrize);
        EXPECT_EQ(r->SmallPictureBox(), c.smallPicture);
        EXPECT_EQ(r->NamesArea(), c.names);
    }
}

TEST_F(ShowRendererTest, NameGridColumnsRowsAndCells) {
    struct Case {
        int mode, n, columns, rows;
    };
    const Case cases[] = {{0, 12, 3, 4}, {1, 12, 2, 6}, {0, 1, 1, 1}, {1, 1, 1, 1}, {0, 4, 2, 2},
                          {1, 4, 2, 2},  {0, 8, 3, 3},  {1, 8, 2, 4}, {0, 3, 1, 3}, {0, 7, 2, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", " << c.n << " names");
        auto r = MakeRenderer(c.mode);
        RoundState round;
        Fill(round, c.n);
        r->LayoutGrid(round);

        const QRect area = r->NamesArea();
        const int cw = area.width() / c.columns;
        const int ch = area.height() / c.rows;
        std::set<int> lefts, tops;
        for (int i = 0; i < c.n; ++i) {
            const QRect cell = round.selection[size_t(i)].cell;
            const QRect expected(area.x() + cw * (i % c.columns) + 1,
                                 area.y() + ch * (i / c.columns) + 1, cw - 2, ch - 2);
            EXPECT_EQ(cell, expected) << "entry " << i;
            lefts.insert(cell.x());
            tops.insert(cell.y());
        }
        EXPECT_EQ(int(lefts.size()), c.columns);
        EXPECT_EQ(int(tops.size()), c.rows);
    }
    // Exact numbers for the text-mode 3 x 4 grid at 1920 x 1080.
    auto r = MakeRenderer(0);
    RoundState round;
    Fill(round, 12);
    r->LayoutGrid(round);
    EXPECT_EQ(round.selection[0].cell, QRect(21, 300, 624, 147));
    EXPECT_EQ(round.selection[4].cell, QRect(647, 449, 624, 147));
    EXPECT_EQ(round.selection[11].cell, QRect(1273, 747, 624, 147));
}

TEST_F(ShowRendererTest, FitFontSizeStaysAt18ForTinyBoxesAndGrowsWithTheBox) {
    auto r = MakeRenderer(1);
    const QString text = QStringLiteral("年度盛典 Annual");
    for (const QRect& tiny : {QRect(0, 0, 10, 10), QRect(0, 0, 2000, 12), QRect(0, 0, 0, 0)})
        EXPECT_EQ(r->FitFontSize(text, QStringLiteral("微软雅黑"), tiny, 0.6), 18);

    QImage device(1, 1, QImage::Format_ARGB32_Premultiplied);  // 96 dpi, like the targets
    int previous = 18;
    for (int scale : {2, 4, 8, 16}) {
        const QRect box(0, 0, 300 * scale, 80 * scale);
        const double ratio = 0.6;
        const int size = r->FitFontSize(text, QStringLiteral("微软雅黑"), box, ratio);
        SCOPED_TRACE(testing::Message() << "scale " << scale << " size " << size);
        EXPECT_GT(size, previous);
        EXPECT_EQ(size % 2, 0);
        previous = size;

        // The chosen size fits strictly inside the shrunk box; the next one does not.
        const int dx = int((1 - ratio) * 0.5 * box.width());
        const int dy = int((1 - ratio) * 0.5 * box.height());
        const QRect inner = box.adjusted(dx, dy, -dx, -dy);
        const auto measure = [&](int points) {
            return QFontMetricsF(r->ShowFont(QStringLiteral("微软雅黑"), points), &device)
                .boundingRect(QRectF(), Qt::AlignCenter, text);
        };
        const QRectF fits = measure(size);
        EXPECT_LT(fits.width(), inner.width());
        EXPECT_LT(fits.height(), inner.height());
        const QRectF next = measure(size + 2);
        EXPECT_TRUE(next.width() >= inner.width() || next.height() >= inner.height());
    }
    // Empty text ends too.
    EXPECT_GE(r->FitFontSize(QString(), QStringLiteral("微软雅黑"), QRect(0, 0, 400, 400), 0.6),
              18);
}

TEST_F(ShowRendererTest, FitPictureNeverEnlargesAndCentres) {
    struct Case {
        QSize image;
        QRect box, expected;
    };
    const Case cases[] = {
        {{100, 50}, QRect(0, 0, 400, 300), QRect(150, 125, 100, 50)},
        {{800, 200}, QRect(0, 0, 400, 300), QRect(0, 100, 400, 100)},
        {{200, 800}, QRect(0, 0, 400, 300), QRect(162, 0, 75, 300)},
        {{800, 200}, QRect(10, 20, 400, 300), QRect(10, 120, 400, 100)},
        {{400, 300}, QRect(0, 0, 400, 300), QRect(0, 0, 400, 300)},
        {{0, 300}, QRect(0, 0, 400, 300), QRect()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShowRenderer::FitPicture(c.image, c.box), c.expected)
            << c.image.width() << "x" << c.image.height();
}

TEST_F(ShowRendererTest, BuiltInGradientWhenNoBackgroundFile) {
    auto r = MakeRenderer(1);
    RoundState round;
    QImage img = Target();
    r->Paint(img, round);

    const int top = r->StatusBand().top();
    EXPECT_TRUE(Near(img.pixel(5, 0), 0xFFFF8080, 3)) << std::hex << img.pixel(5, 0);
    EXPECT_TRUE(Near(img.pixel(5, 198), 0xFFFF0000, 3)) << std::hex << img.pixel(5, 198);
    EXPECT_TRUE(Near(img.pixel(5, top), 0xFFC40000, 3)) << std::hex << img.pixel(5, top);
    EXPECT_TRUE(Near(img.pixel(5, 1079), 0xFFFF0000, 3)) << std::hex << img.pixel(5, 1079);
    // Half-way down the band the gradient is half-way between its ends.
    EXPECT_TRUE(Near(img.pixel(5, 99), 0xFFFF4040, 6)) << std::hex << img.pixel(5, 99);
    EXPECT_EQ(img.pixel(960, 540), 0xFFFF0000u);
    EXPECT_EQ(img.pixel(5, 600), 0xFFFF0000u);
}

TEST_F(ShowRendererTest, BackgroundFileIsStretchedCachedAndDropped) {
    // Left half green, right half blue, far from the screen's aspect ratio.
    const QString path = root_ + "bg.png";
    QImage two(100, 10, QImage::Format_ARGB32);
    two.fill(0xFF00C000);
    for (int y = 0; y < 10; ++y)
        for (int x = 50; x < 100; ++x) two.setPixel(x, y, 0xFF0000C0);
    ASSERT_TRUE(two.save(path, "PNG"));
    data_->BackgroundList().AddFile(path);

    auto r = MakeRenderer(1);
    RoundState round;
    QImage img = Target();
    r->Paint(img, round);
    EXPECT_EQ(img.pixel(200, 5), 0xFF00C000u);
    EXPECT_EQ(img.pixel(200, 1075), 0xFF00C000u);  // stretched to the full height
    EXPECT_EQ(img.pixel(1700, 5), 0xFF0000C0u);
    EXPECT_EQ(img.pixel(1700, 540), 0xFF0000C0u);

    // The file changes: the ready image is still used until it is dropped.
    WriteSolid(path, {40, 40}, 0xFF404040);
    r->Paint(img, round);
    EXPECT_EQ(img.pixel(200, 540), 0xFF00C000u);
    r->DropBackground();
    r->Paint(img, round);
    EXPECT_EQ(img.pixel(200, 540), 0xFF404040u);
    EXPECT_EQ(img.pixel(1700, 540), 0xFF404040u);

    // A file that does not decode leaves the built-in look.
    QFile bad(path);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture at all");
    bad.close();
    r->DropBackground();
    r->Paint(img, round);
    EXPECT_EQ(img.pixel(960, 540), 0xFFFF0000u);
}

TEST_F(ShowRendererTest, NamesDrawnInTheElementColourInEveryCell) {
    struct Case {
        int state, element;
        uint32_t reference;
        QRgb drawn;
    };
    const Case cases[] = {
        {RoundState::kWinners, 4, 0x0000FFFF, 0xFFFFFF00},  // default yellow
        {RoundState::kRolling, 3, 0x00FF0000, 0xFF0000FF},  // blue reference
        {RoundState::kWinners, 4, 0x00008000, 0xFF008000},
    };
    for (const Case& c : cases) {
        for (int mode : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "state " << c.state << " mode " << mode);
            auto r = MakeRenderer(mode);
            data_->ResetSymbolFontSizes();
            data_->FindSymbol(c.element)->Color = c.reference;
            RoundState round;
            round.state = c.state;
            Fill(round, 12);
            QImage img = Target();
            r->Paint(img, round);

            const int fitted = data_->FindSymbol(c.element)->fontSize;
            EXPECT_GT(fitted, 18);
            EXPECT_EQ(data_->FindSymbol(c.element)->box, r->NamesArea());
            for (const RoundSelection& s : round.selection) {
                ASSERT_FALSE(s.cell.isEmpty());
                EXPECT_GT(CountColor(img, s.cell, c.drawn), 200) << s.text.toStdString();
            }
            // Nothing of the name colour outside the names area.
            EXPECT_EQ(CountColor(img, QRect(0, 0, 1920, r->NamesArea().top()), c.drawn), 0);
            if (c.state != RoundState::kWinners) continue;
            // Winners carry the faint blue-green outline, which darkens the red around them.
            int outline = 0;
            const QRect cell = round.selection[0].cell;
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                for (int x = cell.left(); x <= cell.right(); ++x) {
                    const QRgb px = img.pixel(x, y);
                    if (qRed(px) < 0xF8 && qRed(px) > 0xC0 && qBlue(px) > 0x10 && qGreen(px) < 0x40)
                        ++outline;
                }
            EXPECT_GT(outline, 100);
        }
    }
}

TEST_F(ShowRendererTest, PrizePictureDefaultPictureAndMissingPicture) {
    const int prize = data_->AddPrize("一等奖", "电脑", 3, 1, QString(), 0);
    auto r = MakeRenderer(1);
    const QRect column = r->PictureColumn();
    const QRect small = r->SmallPictureBox();

    // No default picture file: nothing of a picture in the column.
    {
        RoundState round;
        round.state = RoundState::kPrize;
        round.prizeId = prize;
        QImage img = Target();
        r->Paint(img, round);
        EXPECT_EQ(CountColor(img, column, 0xFF00FF00), 0);
    }

    WriteSolid(root_ + "example/def_prize.png", {100, 50}, 0xFF00FF00);
    {
        RoundState round;
        round.state = RoundState::kPrize;
        round.prizeId = prize;
        QImage img = Target();
        r->Paint(img, round);
        // Kept at its size, centred vertically and pushed to the column's right edge.
        const int y = column.top() + (column.height() - 50) / 2;
        const QRect expected(column.right() - 99, y, 100, 50);
        EXPECT_EQ(CountColor(img, expected, 0xFF00FF00), 100 * 50);
        EXPECT_EQ(CountColor(img, column, 0xFF00FF00), 100 * 50);

        // The small picture stands at the top of its box, centred horizontally.
        round.state = RoundState::kRolling;
        Fill(round, 2);
        r->Paint(img, round);
        const QRect top(small.x() + (small.width() - 100) / 2, small.top(), 100, 50);
        EXPECT_EQ(CountColor(img, top, 0xFF00FF00), 100 * 50);
    }
    {
        // The prize's own picture wins over the default one and is shrunk to the column.
        RoundState round;
        round.state = RoundState::kPrize;
        round.prizeId = prize;
        WriteSolid(root_ + "own.png", {1074, 537}, 0xFF0000FF);
        round.prizeImage = root_ + "own.png";
        QImage img = Target();
        r->Paint(img, round);
        EXPECT_EQ(CountColor(img, column, 0xFF00FF00), 0);
        // Shrunk to the column's width with its proportions (2:1) kept.
        const int height = column.width() / 2;
        const int y = column.top() + (column.height() - height) / 2;
        EXPECT_EQ(img.pixel(column.center().x(), y + height / 2), 0xFF0000FFu);
        EXPECT_GT(CountColor(img, column, 0xFF0000FF), column.width() * (height - 4));
    }
    {
        // Text mode shows no picture at all.
        auto text = MakeRenderer(0);
        RoundState round;
        round.state = RoundState::kPrize;
        round.prizeId = prize;
        QImage img = Target();
        text->Paint(img, round);
        EXPECT_EQ(CountColor(img, img.rect(), 0xFF00FF00), 0);
    }
}

TEST_F(ShowRendererTest, TextElementsStoreTheirBoundingBoxes) {
    const int prize = data_->AddPrize("特等奖", "汽车一辆", 1, 1, QString(), 0);
    auto r = MakeRenderer(1);
    RoundState round;
    round.title = QStringLiteral("2026 年会");
    round.prizeId = prize;
    round.prizeText = QStringLiteral("特等奖\n汽车一辆");
    QImage img = Target();
    r->Paint(img, round);

    const QRect title = data_->FindSymbol(0)->box;
    EXPECT_FALSE(title.isEmpty());
    EXPECT_TRUE(r->WelcomeArea().contains(title));
    EXPECT_LE(std::abs(title.center().x() - r->WelcomeArea().center().x()), 2);
    EXPECT_LE(std::abs(title.center().y() - r->WelcomeArea().center().y()), 2);
    // Shadowed: grey one pixel down and right of the text.
    EXPECT_GT(CountColor(img, title.adjusted(0, 0, 2, 2), 0xFF808080), 50);
    EXPECT_GT(CountColor(img, title, 0xFF000000), 200);

    round.state = RoundState::kPrize;
    data_->ResetSymbolFontSizes();
    r->Paint(img, round);
    const QRect small = data_->FindSymbol(1)->box;
    EXPECT_TRUE(r->TopBand().contains(small));
    EXPECT_GE(small.bottom(), r->TopBand().bottom() - 2);  // aligned to the bottom
    const QRect prizeBox = data_->FindSymbol(2)->box;
    EXPECT_TRUE(r->MainArea().contains(prizeBox));
    EXPECT_GT(prizeBox.height(), 2 * title.height() / 3);  // two lines of text
    // The status line sits at the top of the status band, the help text 24 pixels lower.
    const QRect status = r->StatusBand();
    EXPECT_GT(CountColor(img, QRect(0, status.top(), 1920, 23), 0xFF9ACD32), 30);
    EXPECT_GT(CountColor(img, QRect(0, status.top() + 24, 1920, 57), 0xFF9ACD32), 30);

    // Without a current prize there is no status line, only the help text.
    round.prizeId = 12345;
    r->Paint(img, round);
    EXPECT_EQ(CountColor(img, QRect(0, status.top(), 1920, 23), 0xFF9ACD32), 0);
    r->SetHelpText(QString());
    r->Paint(img, round);
    EXPECT_EQ(CountColor(img, status, 0xFF9ACD32), 0);
}

TEST_F(ShowRendererTest, SelectionOutlineAroundTheSelectedElement) {
    auto r = MakeRenderer(1);
    RoundState round;
    round.title = QStringLiteral("抽奖");
    QImage img = Target();
    r->Paint(img, round);
    const QRect box = data_->FindSymbol(0)->box;
    EXPECT_EQ(CountColor(img, QRect(box.left(), box.top(), box.width(), 1), 0xFF000000), 0);

    round.selectedElement = 0;
    r->Paint(img, round);
    const int onTop = CountColor(img, QRect(box.left(), box.top(), box.width(), 1), 0xFF000000);
    // Dashed: many black pixels along the edge, but gaps between them.
    EXPECT_GT(onTop, box.width() / 3);
    EXPECT_LT(onTop, box.width());
}

TEST_F(ShowRendererTest, FinishedListScrollsAndRestartsFromTheBottom) {
    auto r = MakeRenderer(1);
    r->Lines() =
        QStringList{"祝 贺", "", "WWWWWW", "一等奖 电脑", "甲", "乙", "丙", "丁", "戊", "己"};
    r->StartScroll();
    EXPECT_EQ(r->ScrollOffset(), 995 - 130);
    EXPECT_EQ(r->TotalHeight(), 650);

    RoundState round;
    round.state = RoundState::kFinished;
    QImage img = Target();
    r->Paint(img, round);
    // Line 0 is drawn; line 2 would end below the status band's top and is not.
    EXPECT_GT(CountColor(img, QRect(100, 865, 1720, 65), 0xFF000000), 100);
    EXPECT_EQ(CountColor(img, QRect(0, 995, 1920, 85), 0xFF000000), 0);

    // Up by one pixel per step until the whole list has left the screen, then from the bottom.
    for (int i = 0; i < 1515; ++i) r->ScrollStep();
    EXPECT_EQ(r->ScrollOffset(), -650);
    r->ScrollStep();
    EXPECT_EQ(r->ScrollOffset(), 995 - 65);
    r->ScrollStep();
    EXPECT_EQ(r->ScrollOffset(), 995 - 66);

    // Half-way: the lines above the screen are skipped, the visible ones drawn.
    for (int i = 0; i < 1000; ++i) r->ScrollStep();
    r->Paint(img, round);
    const int y = r->ScrollOffset();
    for (int i = 0; i < 10; ++i) {
        const int top = y + 65 * i;
        const QRect line = QRect(100, top, 1720, 65) & img.rect();
        if (top + 65 < 0 || top + 65 > 995 || i == 1) continue;
        EXPECT_GT(CountColor(img, line, 0xFF000000), 20) << "line " << i;
    }
}

// The rolling tick repaints the names area only: the old names give way to the background,
// nothing outside the area changes, and a name too wide for its cell stays inside the area.
TEST_F(ShowRendererTest, NamesRepaintRestoresTheBackgroundInsideTheNamesAreaOnly) {
    auto r = MakeRenderer(1);
    RoundState round;
    round.state = RoundState::kRolling;
    round.title = QStringLiteral("年会");
    Fill(round, 12);
    QImage img = Target();
    r->Paint(img, round);
    const QRect area = r->NamesArea();
    const QRect lastCell = round.selection.back().cell;
    ASSERT_GT(CountColor(img, lastCell, 0xFF000000), 200);
    const QImage before = img.copy();

    // One very long name: it is fitted to nothing (the size stays), so it overflows.
    round.selection.clear();
    RoundSelection one;
    one.text = QStringLiteral("一个非常非常非常非常非常非常非常非常非常长的名字").repeated(3);
    round.selection.push_back(one);
    r->PaintNames(img, round);
    EXPECT_EQ(round.selection.front().cell, area.adjusted(1, 1, -1, -1));
    EXPECT_EQ(CountColor(img, lastCell.adjusted(0, lastCell.height() / 2, 0, 0), 0xFF000000), 0);
    EXPECT_GT(CountColor(img, area, 0xFF000000), 200);
    const auto changedOutside = [&] {
        int n = 0;
        for (int y = 0; y < img.height(); y += 2)
            for (int x = 0; x < img.width(); x += 2)
                if (!area.contains(x, y) && img.pixel(x, y) != before.pixel(x, y)) ++n;
        return n;
    };
    EXPECT_EQ(changedOutside(), 0);
    // A full paint cuts the rolling name at the same edge, so no tick leaves pieces behind.
    r->Paint(img, round);
    EXPECT_EQ(changedOutside(), 0);
}

// Every screen covers every pixel; with VANTORIA_SHOTS_DIR set the screens are also saved.
TEST_F(ShowRendererTest, EveryScreenPaintsTheWholeImage) {
    const QString shots = qEnvironmentVariable("VANTORIA_SHOTS_DIR");
    const QString builtIn = QStringLiteral(VANTORIA_SOURCE_DIR "/assets/image/default.jpg");
    if (QFile::exists(builtIn)) data_->BackgroundList().AddFile(builtIn);
    const QString defPrize = QStringLiteral(VANTORIA_SOURCE_DIR "/assets/example/def_prize.png");
    if (QFile::exists(defPrize)) {
        QDir().mkpath(root_ + "example");
        QFile::copy(defPrize, root_ + "example/def_prize.png");
    }
    const int prize = data_->AddPrize("一等奖", "笔记本电脑", 12, 1, QString(), 0);
    for (int mode : {1, 0}) {
        auto r = MakeRenderer(mode);
        r->Lines() = QStringList{"祝 贺",  "", "一等奖 笔记本电脑", "张三01",
                                 "张三02", "", "二等奖 手机",       "李四01"};
        r->StartScroll();
        for (int state = 0; state <= 4; ++state) {
            RoundState round;
            round.state = state;
            round.title = QStringLiteral("Vantoria 2026 年度盛典");
            round.prizeId = prize;
            round.prizeText = mode == 1 ? QStringLiteral("一等奖\n笔记本电脑")
                                        : QStringLiteral("一等奖 笔记本电脑");
            round.batchSize = 12;
            Fill(round, 12);
            data_->ResetSymbolFontSizes();
            QImage img = Target();
            r->Paint(img, round);
            int holes = 0;
            for (int y = 0; y < img.height(); y += 3)
                for (int x = 0; x < img.width(); x += 3)
                    if (qAlpha(img.pixel(x, y)) != 255) ++holes;
            EXPECT_EQ(holes, 0) << "state " << state << " mode " << mode;
            if (!shots.isEmpty()) {
                QDir().mkpath(shots);
                img.save(QStringLiteral("%1/screen%2-%3.png")
                             .arg(shots)
                             .arg(state)
                             .arg(mode == 1 ? "picture" : "text"));
                if (state == RoundState::kFinished) {
                    // Half-way through the scroll as well.
                    for (int i = 0; i < 500; ++i) r->ScrollStep();
                    r->Paint(img, round);
                    img.save(QStringLiteral("%1/screen4-scrolled-%2.png")
                                 .arg(shots)
                                 .arg(mode == 1 ? "picture" : "text"));
                    r->StartScroll();
                }
            }
        }
    }
}

}  // namespace

// The prize screen says who may win under the prize, in the text element's colour, and says
// nothing for a prize without a rule of its own.
TEST_F(ShowRendererTest, ThePrizeScreenAnnouncesThePrizesRule) {
    const int plain = data_->AddPrize("一等奖", "电脑", 1, 1, QString(), 0);
    const int rule = data_->AddPrize("新人奖", "手机", 2, 1, QString(), 1);
    data_->FindPrize(rule)->scope = PrizeScope{"department", "only", {"研发部", "市场部"}};
    data_->FindPrize(rule)->repeat = 1;
    data_->FindSymbol(DesignElement::PrizeInfo)->Color = 0x00FFFF00;  // cyan, red in the low byte
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        auto r = MakeRenderer(mode);
        RoundState round;
        round.state = RoundState::kPrize;
        round.prizeId = plain;
        EXPECT_EQ(r->PrizeRuleLine(round), QString());
        round.prizeId = rule;
        EXPECT_EQ(r->PrizeRuleLine(round),
                  QStringLiteral("本奖项仅限：研发部、市场部　　已中奖者可参与"));
        QImage img = Target();
        r->Paint(img, round);
        const QRect box = r->PrizeRuleBox();
        EXPECT_TRUE(r->MainArea().contains(box));
        EXPECT_GT(CountColor(img, box, 0xFF00FFFF), 500);
    }
}

// The guests' check-in code on the welcome screen: beside the fingerprint plate at every size,
// never over it, and at least 240 px (quiet zone included) scaled with the screen.
TEST_F(ShowRendererTest, TheCheckInCodeStandsBesideTheFingerprintLargeEnoughToScan) {
    for (const QSize screen : {QSize(1280, 720), QSize(1920, 1080), QSize(3840, 2160)}) {
        SCOPED_TRACE(screen.width());
        auto r = MakeRenderer(1, screen);
        const QRect plate = r->Geometry().CheckInPlate();
        const QRect fingerprint = r->Geometry().FingerprintPlate();
        EXPECT_TRUE(QRect(QPoint(0, 0), screen).contains(plate));
        EXPECT_FALSE(plate.intersects(fingerprint));

        RoundState round;
        round.title = QStringLiteral("2027 年会");
        round.fingerprint = QStringLiteral("ABCD EF01 2345 6789");
        round.commitment = QString(64, QLatin1Char('a'));
        round.checkInUrl = QStringLiteral("http://192.168.1.20:8765/c/ACvCR34VuxatIbeBAbuYtw");
        round.checkedIn = 523;
        round.checkInTotal = 800;
        QImage shown = Target(screen);
        r->Paint(shown, round);
        if (qEnvironmentVariableIsSet("VANTORIA_SAVE_SHOTS"))
            shown.save(QStringLiteral("/tmp/welcome-checkin-%1.png").arg(screen.width()));
        // The code is the pure white square at the plate's left; the count stands right of it.
        QRect white;
        for (int y = plate.top(); y <= plate.bottom(); ++y)
            for (int x = plate.left(); x <= plate.left() + plate.height(); ++x)
                if ((shown.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF) white |= QRect(x, y, 1, 1);
        const int scale = std::max(1, screen.height() / 1080);
        EXPECT_GE(white.width(), 240 * scale);
        EXPECT_NEAR(white.width(), white.height(), 2);

        round.checkInUrl.clear();
        QImage without = Target(screen);
        r->Paint(without, round);
        EXPECT_NE(shown.copy(plate), without.copy(plate));
    }
}
