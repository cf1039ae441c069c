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
#include "model/AppData.h"
#include "model/DesignSymbol.h"
#include "setup/DesignMode.h"
#include "setup/MediaComboBox.h"
#include "show/DesignToolbox.h"
#include "show/DesignWindow.h"
#include "show/RoundState.h"
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

QStringList Samples(int n) {
    QStringList out;
    for (int i = 1; i <= n; ++i) out << QString::asprintf("大内密探%03d", i);
    return out;
}

void Move(QWidget& w, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), w.mapToGlobal(QPointF(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
}

class DesignWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { data_ = std::make_unique<AppData>(folder_.Path()); }

    std::unique_ptr<DesignWindow> Open(int lastFrame, QRect screen = kFullHd) {
        data_->SetLastFrame(lastFrame);
        return std::make_unique<DesignWindow>(*data_, nullptr, screen);
    }

    TestFolder folder_;
    FakeUi fake_;
    std::unique_ptr<AppData> data_;
};

TEST_F(DesignWindowTest, OpeningResetsSizesAndPlacesTheToolboxTopRight) {
    for (const auto& [id, s] : data_->SymbolList()) s->fontSize = 50;
    data_->SetTitle("年会");
    auto window = Open(1);
    for (const auto& [id, s] : data_->SymbolList()) EXPECT_EQ(s->fontSize, -1) << id;
    EXPECT_EQ(window->geometry(), kFullHd);
    EXPECT_EQ(window->Renderer().HelpText(), "抽奖界面设计 系统自动保存 按 Esc 键退出");
    EXPECT_EQ(window->Toolbox().parent(), window.get());

    window->show();
    QApplication::processEvents();
    const QRect box = window->Toolbox().frameGeometry();
    EXPECT_TRUE(window->Toolbox().isVisible());
    EXPECT_EQ(box.top(), 20);
    EXPECT_EQ(box.right(), kFullHd.right() - 20);
}

TEST_F(DesignWindowTest, PreviewScreenFollowsTheToolbox) {
    const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 0}, {-2, 0}};
    for (const auto& [lastFrame, state] : cases) {
        SCOPED_TRACE(lastFrame);
        auto window = Open(lastFrame);
        EXPECT_EQ(window->Round().state, state);
        EXPECT_EQ(window->Round().selectedElement, window->Toolbox().SelectedElement());
        EXPECT_EQ(window->OfferedElements(), DesignToolbox::ElementsOfScreen(state));
    }

    auto window = Open(0);
    window->Toolbox().ScreenBox()->setCurrentIndex(3);
    EXPECT_EQ(window->Round().state, RoundState::kWinners);
    EXPECT_EQ(window->Round().selectedElement, 4);
    EXPECT_EQ(window->OfferedElements(), (std::vector<int>{1, 6, 4}));
    EXPECT_EQ(Texts(window->Round()), Samples(6));
}

TEST_F(DesignWindowTest, TitleWithoutTrailingSpaceOrAStandInForThePreviewOnly) {
    const std::pair<QString, QString> cases[] = {
        {"", "这里是标题"},
        {" \t\n", "这里是标题"},
        {"  2026 年会  \t", "  2026 年会"},
        {"年会", "年会"},
    };
    for (const auto& [title, shown] : cases) {
        SCOPED_TRACE(title.toStdString());
        data_->SetTitle(title);
        auto window = Open(0);
        EXPECT_EQ(window->Round().title, shown);
        EXPECT_EQ(data_->Title(), title);
    }
}

TEST_F(DesignWindowTest, SampleNamesStandInWhenNoCandidateHasAKey) {
    struct Case {
        int mode;
        int screen;
        int count;
    };
    const Case cases[] = {{0, 2, 12}, {0, 3, 12}, {1, 2, 6}, {1, 3, 6}, {2, 2, 12}};
    // A candidate without a name has no key under FieldType 1.
    data_->AddCandidate("001", "", "销售部", "13800000000", 0);
    data_->SetFieldType(1, false);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << "/" << c.screen);
        data_->SetPrizeUIType(c.mode);
        auto window = Open(c.screen);
        EXPECT_EQ(Texts(window->Round()), Samples(c.count));
        std::vector<int> ids(c.count);
        for (int i = 0; i < c.count; ++i) ids[i] = i;
        EXPECT_EQ(Ids(window->Round()), ids);
    }
}

TEST_F(DesignWindowTest, RealCandidatesWithAKeyTakeThePlaceOfTheSamples) {
    data_->SetFieldType(1, false);
    std::vector<int> named;
    for (int i = 0; i < 20; ++i) {
        const QString name = i % 3 == 1 ? QString() : QStringLiteral("员工%1").arg(i);
        Candidate* c = data_->AddCandidate(QString::number(i), name, "", "", i);
        if (!name.isEmpty()) named.push_back(c->id);
    }
    for (const auto& [mode, count] : {std::pair{0, 12}, std::pair{1, 6}}) {
        SCOPED_TRACE(mode);
        data_->SetPrizeUIType(mode);
        auto window = Open(2);
        EXPECT_EQ(Ids(window->Round()), std::vector<int>(named.begin(), named.begin() + count));
        EXPECT_EQ(window->Round().selection.front().text, "员工0");
    }

    // Under another key the same people show that column.
    data_->SetFieldType(0, false);
    auto window = Open(3);
    EXPECT_EQ(window->Round().selection.size(), 6u);
    EXPECT_EQ(window->Round().selection.front().text, "0");
}

TEST_F(DesignWindowTest, FirstPrizeInDrawOrderOrThePlaceholder) {
    {
        auto window = Open(1);
        EXPECT_EQ(window->Round().prizeId, -1);
        EXPECT_EQ(window->Round().prizeText, "这里是奖项名称");
        EXPECT_TRUE(window->Round().prizePicture.isNull());
    }
    data_->AddPrize("二等奖", "平板电脑", 3, 1, "", 2);
    const int first = data_->AddPrize("一等奖", "笔记本电脑", 1, 1, "", 1);
    auto window = Open(1);
    EXPECT_EQ(window->Round().prizeId, first);
    EXPECT_TRUE(window->Round().prizeText.startsWith("一等奖"));
}

// A click on an element's painted box selects it in the toolbox; element 5 is never offered.
TEST_F(DesignWindowTest, ClickOnAnElementSelectsItAndTheCursorShowsWhereOneIs) {
    data_->SetPrizeUIType(0);
    for (int screen = 0; screen < 4; ++screen) {
        SCOPED_TRACE(screen);
        auto window = Open(screen);
        window->show();
        window->Render();
        std::vector<int> offered = window->OfferedElements();
        // From the last to the first, so every click changes the selection.
        for (auto it = offered.rbegin(); it != offered.rend(); ++it) {
            const QRect box = data_->FindSymbol(*it)->box;
            ASSERT_FALSE(box.isEmpty()) << *it;
            Move(*window, box.center());
            EXPECT_EQ(window->cursor().shape(), Qt::PointingHandCursor);
            QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, box.center());
            EXPECT_EQ(window->Toolbox().SelectedElement(), *it);
            EXPECT_EQ(window->Round().selectedElement, *it);
        }
        // The right mouse button selects nothing.
        const int before = window->Toolbox().SelectedElement();
        const QRect other = data_->FindSymbol(offered.back())->box;
        if (offered.size() > 1) {
            QTest::mouseClick(window.get(), Qt::RightButton, Qt::NoModifier, other.center());
            EXPECT_EQ(window->Toolbox().SelectedElement(), before);
        }
    }

    // Where only element 5 would be, nothing is selected and the cursor stays plain.
    auto window = Open(2);
    window->show();
    window->Render();
    const QPoint corner(5, 1080 - 5);
    for (int id : window->OfferedElements())
        ASSERT_FALSE(data_->FindSymbol(id)->box.contains(corner));
    data_->FindSymbol(5)->box = QRect(0, 1080 - 40, 200, 40);
    window->Toolbox().ElementBox()->setCurrentIndex(1);
    Move(*window, corner);
    EXPECT_NE(window->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, corner);
    EXPECT_EQ(window->Toolbox().SelectedElement(), 6);
}

TEST_F(DesignWindowTest, BackgroundChangeInTheToolboxDropsTheCachedOne) {
    QImage blue(64, 36, QImage::Format_ARGB32);
    blue.fill(0xFF0000FF);
    const QString picture = folder_.File("blue.png");
    ASSERT_TRUE(blue.save(picture));
    const QPoint probe(30, 560);  // in the welcome area, left of the title

    auto window = Open(0);
    EXPECT_EQ(window->Render().pixel(probe), 0xFFFF0000);  // no file: the built-in gradient

    fake_.fileNames.push_back(picture);
    QTest::mouseClick(window->Toolbox().BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(window->Render().pixel(probe), 0xFF0000FF);

    window->Toolbox().BackgroundBox()->setCurrentIndex(0);  // a preset whose file is missing
    EXPECT_EQ(window->Render().pixel(probe), 0xFFFF0000);
    window->Toolbox().BackgroundBox()->setCurrentIndex(3);
    EXPECT_EQ(window->Render().pixel(probe), 0xFF0000FF);
}

TEST_F(DesignWindowTest, EscapeLeavesFromTheWindowAndFromTheToolbox) {
    for (bool fromToolbox : {false, true}) {
        SCOPED_TRACE(fromToolbox);
        auto window = Open(0);
        window->show();
        QApplication::processEvents();
        QWidget* target = fromToolbox ? static_cast<QWidget*>(window->Toolbox().ScreenBox())
                                      : static_cast<QWidget*>(window.get());
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
        EXPECT_FALSE(QFile::exists(data_->DataFilePath()));
        return int(QDialog::Rejected);
    };
    EXPECT_TRUE(RunDesignMode(*data_, nullptr));
    EXPECT_EQ(fake_.execTitles.size(), 1u);
    ASSERT_TRUE(QFile::exists(data_->DataFilePath()));

    AppData reread(folder_.Path());
    EXPECT_EQ(reread.LastFrame(), 2);
    EXPECT_EQ(reread.FindSymbol(3)->Color, 0x00336699u);
}

// Renders design mode on each screen at full HD with the shipped artwork. Set
// VANTORIA_DESIGN_SHOTS to a folder to keep the pictures (window with the toolbox over it).
TEST_F(DesignWindowTest, FullHdScreensWithShippedArtwork) {
    QDir().mkpath(folder_.File("image"));
    QDir().mkpath(folder_.File("example"));
    for (const char* f : {"image/default.jpg", "image/hydt.jpg", "example/def_prize.png"})
        QFile::copy(QStringLiteral(VANTORIA_SOURCE_DIR "/assets/") + f, folder_.File(f));
    data_->SetTitle("2026 年度盛典");
    data_->AddPrize("一等奖", "笔记本电脑", 3, 1, "", 1);
    const QString keep = qEnvironmentVariable("VANTORIA_DESIGN_SHOTS");
    if (!keep.isEmpty()) QDir().mkpath(keep);

    const char* names[] = {"welcome", "prize", "rolling", "winners"};
    for (int screen = 0; screen < 4; ++screen) {
        SCOPED_TRACE(screen);
        data_->BackgroundList().SetIndex(screen == 3 ? 1 : 0);
        auto window = Open(screen);
        window->show();
        QApplication::processEvents();
        QImage shot = window->Render().copy();
        const int selected = window->Toolbox().SelectedElement();
        const QRect outline = data_->FindSymbol(selected)->box;
        EXPECT_TRUE(kFullHd.contains(outline)) << selected;
        EXPECT_FALSE(outline.isEmpty());
        if (!keep.isEmpty()) {
            QPainter p(&shot);
            p.drawImage(window->Toolbox().geometry().topLeft(), window->Toolbox().grab().toImage());
            p.end();
            EXPECT_TRUE(shot.save(keep + QStringLiteral("/design-%1-%2.png")
                                             .arg(screen)
                                             .arg(QString::fromLatin1(names[screen]))));
        }
    }
}

}  // namespace
