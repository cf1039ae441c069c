#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <vector>

#include "controls/ColorButton.h"
#include "controls/ColorPalettePopup.h"
#include "controls/MediaComboBox.h"
#include "draw/RoundState.h"
#include "model/AppData.h"
#include "model/DesignSymbol.h"
#include "stage/DesignMode.h"
#include "stage/DesignToolbox.h"
#include "stage/DesignWindow.h"
#include "support/FakeUi.h"
#include "support/TestFolder.h"

namespace {

const QRect kFullHd(0, 0, 1920, 1080);

QStringList Texts(const RoundState& round) {
    QStringList out;
    for (const RoundSelection& s : round.selection) out << s.text;
    return out;
}

std::vector<int> Ids(const RoundState& round) {
    std::vector<int> out;
    for (const RoundSelection& s : round.selection) out.push_back(s.candidate);
    return out;
}

void Move(QWidget& w, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), w.mapToGlobal(QPointF(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
}

class DesignWindowTest : public ::testing::Test {
  protected:
    std::unique_ptr<DesignWindow> Open(int lastFrame) {
        data_.SetLastFrame(lastFrame);
        return std::make_unique<DesignWindow>(data_, nullptr, kFullHd);
    }

    TestFolder folder_;
    FakeUi fake_;
    AppData data_{folder_.Path()};
};

TEST_F(DesignWindowTest, OpeningResetsSizesAndPlacesTheToolboxTopRight) {
    for (const auto& [id, s] : data_.SymbolList()) s->fontSize = 50;
    auto window = Open(1);
    for (const auto& [id, s] : data_.SymbolList()) EXPECT_EQ(s->fontSize, -1) << id;
    EXPECT_EQ(window->geometry(), kFullHd);
    EXPECT_EQ(window->Renderer().HelpText(), "抽奖界面设计 系统自动保存 按 Esc 键退出");
    window->show();
    QApplication::processEvents();
    ASSERT_TRUE(window->Toolbox().isVisible());
    EXPECT_EQ(window->Toolbox().frameGeometry().topRight(), QPoint(kFullHd.right() - 20, 20));
}

TEST_F(DesignWindowTest, PreviewFollowsTheToolboxWithAStandInTitle) {
    const std::tuple<int, int, QString, QString> cases[] = {
        {0, 0, "", "这里是标题"}, {1, 1, " \t\n", "这里是标题"}, {2, 2, "  年会  \t", "  年会"},
        {3, 3, "年会", "年会"},   {4, 0, "年会", "年会"},
    };
    for (const auto& [lastFrame, state, title, shown] : cases) {
        SCOPED_TRACE(lastFrame);
        data_.SetTitle(title);
        auto window = Open(lastFrame);
        EXPECT_EQ(window->Round().state, state);
        EXPECT_EQ(window->Round().title, shown);
        EXPECT_EQ(data_.Title(), title);  // the stand-in is the preview's only
        EXPECT_EQ(window->Round().selectedElement, window->Toolbox().SelectedElement());
        EXPECT_EQ(window->OfferedElements(), DesignToolbox::ElementsOfScreen(state));
    }
    auto window = Open(0);
    window->Toolbox().ScreenBox()->setCurrentIndex(3);
    EXPECT_EQ(window->Round().state, RoundState::kWinners);
    EXPECT_EQ(window->Round().selectedElement, 4);
    EXPECT_EQ(window->OfferedElements(), (std::vector<int>{1, 6, 4}));
}

// Up to 12 names in text mode and 6 in picture mode: candidates with a key in ascending id,
// or numbered samples when none has one.
TEST_F(DesignWindowTest, NamesFromCandidatesWithAKeyOrSamples) {
    data_.SetFieldType(1, false);
    data_.AddCandidate("100", "", "销售部", "", 0);  // no name: no key under FieldType 1
    for (const auto& [mode, n] : {std::pair{0, 12}, std::pair{1, 6}, std::pair{2, 12}}) {
        data_.SetPrizeUIType(mode);
        for (int screen : {2, 3}) {
            SCOPED_TRACE(testing::Message() << mode << "/" << screen);
            auto window = Open(screen);
            QStringList samples;
            std::vector<int> ids;
            for (int i = 0; i < n; ++i) {
                samples << QString::asprintf("大内密探%03d", i + 1);
                ids.push_back(i);
            }
            EXPECT_EQ(Texts(window->Round()), samples);
            EXPECT_EQ(Ids(window->Round()), ids);
        }
    }

    std::vector<int> named;
    for (int i = 1; i < 20; ++i) {
        const QString name = i % 3 == 1 ? QString() : QStringLiteral("员工%1").arg(i);
        const Candidate* c = data_.AddCandidate(QString::number(100 + i), name, "", "", i);
        if (!name.isEmpty()) named.push_back(c->id);
    }
    for (const auto& [mode, n] : {std::pair{0, 12}, std::pair{1, 6}}) {
        data_.SetPrizeUIType(mode);
        auto window = Open(2);
        EXPECT_EQ(Ids(window->Round()), std::vector<int>(named.begin(), named.begin() + n));
    }
    data_.SetFieldType(0, false);  // now everyone has a key, the first candidate included
    EXPECT_EQ(Texts(Open(3)->Round()).front(), "100");
}

TEST_F(DesignWindowTest, FirstPrizeInDrawOrderOrThePlaceholder) {
    EXPECT_EQ(Open(1)->Round().prizeText, "这里是奖项名称");
    data_.AddPrize("二等奖", "平板电脑", 3, 1, "", 2);
    const int first = data_.AddPrize("一等奖", "笔记本电脑", 1, 1, "", 1);
    auto window = Open(1);
    EXPECT_EQ(window->Round().prizeId, first);
    EXPECT_TRUE(window->Round().prizeText.startsWith("一等奖"));
}

// A click on an element's painted box selects it in the toolbox; element 5 is never offered.
TEST_F(DesignWindowTest, ClickOnAnElementSelectsItAndTheCursorShowsWhereOneIs) {
    data_.SetPrizeUIType(0);
    for (int screen = 0; screen < 4; ++screen) {
        SCOPED_TRACE(screen);
        auto window = Open(screen);
        window->show();
        window->Render();
        const std::vector<int> offered = window->OfferedElements();
        for (auto it = offered.rbegin(); it != offered.rend(); ++it) {
            const QRect box = data_.FindSymbol(*it)->box;
            ASSERT_FALSE(box.isEmpty()) << *it;
            Move(*window, box.center());
            EXPECT_EQ(window->cursor().shape(), Qt::PointingHandCursor);
            QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, box.center());
            EXPECT_EQ(window->Toolbox().SelectedElement(), *it);
            EXPECT_EQ(window->Round().selectedElement, *it);
        }
    }

    auto window = Open(2);
    window->show();
    window->Render();
    const QPoint corner(5, 1080 - 5);
    data_.FindSymbol(5)->box = QRect(0, 1080 - 40, 200, 40);
    for (int id : window->OfferedElements())
        ASSERT_FALSE(data_.FindSymbol(id)->box.contains(corner));
    Move(*window, corner);
    EXPECT_NE(window->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, corner);
    EXPECT_EQ(window->Toolbox().SelectedElement(), 3);
}

TEST_F(DesignWindowTest, BackgroundChangeInTheToolboxDropsTheCachedOne) {
    QImage blue(64, 36, QImage::Format_ARGB32);
    blue.fill(0xFF0000FF);
    ASSERT_TRUE(blue.save(folder_.File("blue.png")));
    const QPoint probe(30, 560);  // in the welcome area, left of the title
    auto window = Open(0);
    EXPECT_EQ(window->Render().pixel(probe), 0xFFFF0000);  // no file: the built-in gradient
    fake_.fileNames.push_back(folder_.File("blue.png"));
    QTest::mouseClick(window->Toolbox().BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(window->Render().pixel(probe), 0xFF0000FF);
    window->Toolbox().BackgroundBox()->setCurrentIndex(0);  // a preset whose file is missing
    EXPECT_EQ(window->Render().pixel(probe), 0xFFFF0000);
}

TEST_F(DesignWindowTest, EscapeLeavesFromTheWindowAndFromTheToolbox) {
    for (bool fromToolbox : {false, true}) {
        SCOPED_TRACE(fromToolbox);
        auto window = Open(0);
        window->show();
        QApplication::processEvents();
        QWidget* target = window.get();
        if (fromToolbox) target = window->Toolbox().ScreenBox();
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->result(), QDialog::Rejected);
    }
}

TEST_F(DesignWindowTest, DesignModeRunsThroughUiAndWritesTheDataFileOnTheWayOut) {
    fake_.onExec = [this](QDialog& d) {
        auto& window = static_cast<DesignWindow&>(d);
        window.Toolbox().ScreenBox()->setCurrentIndex(2);
        emit window.Toolbox().ColorPicker()->notify(ColorButton::kSelectionChanged, 0x00336699,
                                                    true);
        EXPECT_FALSE(QFile::exists(data_.DataFilePath()));
        return int(QDialog::Rejected);
    };
    EXPECT_TRUE(RunDesignMode(data_, nullptr));
    EXPECT_EQ(fake_.execTitles.size(), 1u);
    AppData reread(folder_.Path());
    EXPECT_EQ(reread.LastFrame(), 2);
    EXPECT_EQ(reread.FindSymbol(3)->Color, 0x00336699u);
}

// Every screen at full HD with the shipped artwork: the selected element is outlined on
// screen. Set VANTORIA_DESIGN_SHOTS to a folder to keep the pictures with the toolbox.
TEST_F(DesignWindowTest, FullHdScreensWithShippedArtwork) {
    QDir().mkpath(folder_.File("image"));
    QDir().mkpath(folder_.File("example"));
    for (const char* f : {"image/default.jpg", "image/hydt.jpg", "example/def_prize.png"})
        QFile::copy(QStringLiteral(VANTORIA_SOURCE_DIR "/assets/") + f, folder_.File(f));
    data_.SetTitle("2026 年度盛典");
    data_.AddPrize("一等奖", "笔记本电脑", 3, 1, "", 1);
    const QString keep = qEnvironmentVariable("VANTORIA_DESIGN_SHOTS");
    for (int screen = 0; screen < 4; ++screen) {
        SCOPED_TRACE(screen);
        data_.BackgroundList().SetIndex(screen == 3 ? 1 : 0);
        auto window = Open(screen);
        window->show();
        QApplication::processEvents();
        QImage shot = window->Render().copy();
        const QRect outline = data_.FindSymbol(window->Toolbox().SelectedElement())->box;
        EXPECT_TRUE(kFullHd.contains(outline) && !outline.isEmpty());
        // The dashed frame runs along the box's top edge: about half its pixels are black.
        int black = 0;
        for (int x = outline.left(); x <= outline.right(); ++x)
            black += shot.pixel(x, outline.top()) == 0xFF000000u;
        EXPECT_GT(black, outline.width() / 3) << outline.x() << "," << outline.y() << " "
                                              << outline.width() << "x" << outline.height();
        if (keep.isEmpty()) continue;
        QDir().mkpath(keep);
        QPainter(&shot).drawImage(window->Toolbox().pos(), window->Toolbox().grab().toImage());
        EXPECT_TRUE(shot.save(keep + QStringLiteral("/design-%1.png").arg(screen)));
    }
}

}  // namespace
