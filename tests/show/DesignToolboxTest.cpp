#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

#include "app/Notices.h"
#include "controls/ColorButton.h"
#include "controls/ColorPalettePopup.h"
#include "model/AppData.h"
#include "model/DesignSymbol.h"
#include "setup/MediaComboBox.h"
#include "show/DesignToolbox.h"
#include "support/FakeUi.h"
#include "support/TestFolder.h"

namespace {

// Stands in for the design window: records every notice the toolbox sends.
class NoticeRecorder : public QWidget {
  public:
    std::vector<int> notices;

  protected:
    bool event(QEvent* e) override {
        if (NoticeEvent::NumberOf(e) == WM_DESIGN_CHANGED) {
            notices.push_back(static_cast<NoticeEvent*>(e)->Argument());
            return true;
        }
        return QWidget::event(e);
    }
};

class DesignToolboxTest : public ::testing::Test {
  protected:
    void SetUp() override { data_ = std::make_unique<AppData>(folder_.Path()); }

    std::unique_ptr<DesignToolbox> Open(int lastFrame) {
        data_->SetLastFrame(lastFrame);
        auto box = std::make_unique<DesignToolbox>(*data_, &owner_);
        owner_.notices.clear();
        return box;
    }

    // Two installed families, for picks that must change something.
    static std::pair<QString, QString> TwoFamilies() {
        const QStringList all = DesignToolbox::FontFamilies();
        if (all.size() < 2) return {};
        return {all.at(0), all.at(all.size() - 1)};
    }

    TestFolder folder_;
    FakeUi fake_;
    std::unique_ptr<AppData> data_;
    NoticeRecorder owner_;
};

TEST_F(DesignToolboxTest, OpeningShowsTheScreenItsElementsAndAnnouncesItself) {
    struct Case {
        int lastFrame;
        int screen;
        std::vector<int> elements;
        QStringList labels;
    };
    const Case cases[] = {
        {0, 0, {0}, {"活动主题"}},
        {1, 1, {1, 2}, {"活动主题（小）", "奖项信息"}},
        {2, 2, {1, 6, 3}, {"活动主题（小）", "奖项信息（小）", "抽奖名单"}},
        {3, 3, {1, 6, 4}, {"活动主题（小）", "奖项信息（小）", "中奖名单"}},
        {4, 0, {0}, {"活动主题"}},
        {-1, 0, {0}, {"活动主题"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lastFrame);
        data_->SetLastFrame(c.lastFrame);
        owner_.notices.clear();
        DesignToolbox box(*data_, &owner_);
        EXPECT_EQ(box.windowTitle(), "设计工具箱");
        EXPECT_EQ(owner_.notices, std::vector<int>{0});
        EXPECT_EQ(box.ScreenBox()->currentIndex(), c.screen);
        EXPECT_EQ(data_->LastFrame(), c.screen);  // an invalid screen is stored back as 0
        EXPECT_EQ(box.OfferedElements(), c.elements);
        QStringList labels;
        for (int i = 0; i < box.ElementBox()->count(); ++i) labels << box.ElementBox()->itemText(i);
        EXPECT_EQ(labels, c.labels);
        EXPECT_EQ(box.SelectedElement(), c.elements.back());
    }
}

TEST_F(DesignToolboxTest, EveryActionSendsItsNotice) {
    QImage blue(8, 8, QImage::Format_ARGB32);
    blue.fill(Qt::blue);
    const QString picture = folder_.File("stage.png");
    ASSERT_TRUE(blue.save(picture));

    struct Case {
        const char* name;
        std::function<void(DesignToolbox&)> act;
        std::vector<int> notices;
    };
    const Case cases[] = {
        {"background picked", [](DesignToolbox& b) { b.BackgroundBox()->setCurrentIndex(2); }, {1}},
        {"file chosen",
         [&](DesignToolbox& b) {
             fake_.fileNames.push_back(picture);
             QTest::mouseClick(b.BrowseButton(), Qt::LeftButton);
         },
         {1}},
        {"file dialog cancelled",
         [](DesignToolbox& b) { QTest::mouseClick(b.BrowseButton(), Qt::LeftButton); },
         {}},
        {"screen picked", [](DesignToolbox& b) { b.ScreenBox()->setCurrentIndex(3); }, {2}},
        {"element picked", [](DesignToolbox& b) { b.ElementBox()->setCurrentIndex(0); }, {0}},
        {"element selected by the window", [](DesignToolbox& b) { b.SelectElement(6); }, {0}},
        {"element already selected", [](DesignToolbox& b) { b.SelectElement(3); }, {}},
        {"element not offered", [](DesignToolbox& b) { b.SelectElement(5); }, {}},
        {"colour picked",
         [](DesignToolbox& b) {
             emit b.ColorPicker()->notify(ColorButton::kSelectionChanged, 0x00FF0000, true);
         },
         {0}},
        {"same colour",
         [](DesignToolbox& b) {
             emit b.ColorPicker()->notify(ColorButton::kSelectionChanged, 0, true);
         },
         {}},
        {"no cell under the mouse",
         [](DesignToolbox& b) {
             emit b.ColorPicker()->notify(ColorButton::kSelectionChanged, 0x00FF0000, false);
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        data_->RebuildDefaultSymbols();
        auto box = Open(2);
        c.act(*box);
        EXPECT_EQ(owner_.notices, c.notices);
    }
    EXPECT_TRUE(fake_.fileRequests.size() == 2 &&
                fake_.fileRequests[0].filter ==
                    "图片文件（jpg;jpeg;png;gif;bmp）|*.jpg;*.jpeg;*.png;*.gif;*.bmp||");
}

TEST_F(DesignToolboxTest, ChosenFileBecomesTheSelectedBackground) {
    auto box = Open(0);
    fake_.fileNames.push_back(folder_.File("年会舞台.png"));
    QTest::mouseClick(box->BrowseButton(), Qt::LeftButton);
    const MediaList& list = data_->BackgroundList();
    ASSERT_EQ(list.Entries().size(), 4u);
    EXPECT_EQ(list.Index(), 3);
    EXPECT_EQ(list.SelectedPath(), folder_.File("年会舞台.png"));
    EXPECT_EQ(box->BackgroundBox()->count(), 4);
    EXPECT_EQ(box->BackgroundBox()->currentText(), "年会舞台");

    box->BackgroundBox()->setCurrentIndex(1);
    EXPECT_EQ(list.Index(), 1);
}

TEST_F(DesignToolboxTest, PickedScreenIsStoredAndSelectsItsLastElement) {
    auto box = Open(0);
    data_->FindSymbol(4)->FontName = "Winner Face";
    data_->FindSymbol(4)->Color = 0x0000FFFF;
    box->ScreenBox()->setCurrentIndex(3);
    EXPECT_EQ(data_->LastFrame(), 3);
    EXPECT_EQ(box->SelectedElement(), 4);
    EXPECT_EQ(box->ColorPicker()->Color(), 0x0000FFFFu);
    EXPECT_EQ(box->FontBox()->placeholderText(), "Winner Face");  // not installed, still shown

    box->ScreenBox()->setCurrentIndex(1);
    EXPECT_EQ(data_->LastFrame(), 1);
    EXPECT_EQ(box->OfferedElements(), (std::vector<int>{1, 2}));
    EXPECT_EQ(box->SelectedElement(), 2);
}

TEST_F(DesignToolboxTest, FontListHasEveryFamilyOnceSortedAndNoVerticalFaces) {
    auto box = Open(0);
    const QStringList families = DesignToolbox::FontFamilies();
    ASSERT_FALSE(families.isEmpty());
    EXPECT_EQ(box->FontBox()->count(), families.size());
    for (qsizetype i = 0; i < families.size(); ++i) {
        EXPECT_FALSE(families[i].startsWith('@')) << families[i].toStdString();
        if (i > 0) {
            EXPECT_LT(families[i - 1].compare(families[i], Qt::CaseInsensitive), 0);
        }
    }
}

// The rolling and the winning names share one font, whichever of them is given it.
TEST_F(DesignToolboxTest, NameElementsShareTheirFont) {
    const auto [first, last] = TwoFamilies();
    ASSERT_FALSE(first.isEmpty());
    struct Case {
        int screen;  // selects element 3 (rolling) or 4 (winners) or 1 (small title)
        QString family;
        QString expect3, expect4, expect1;
    };
    const Case cases[] = {
        {2, first, first, first, "微软雅黑"},
        {3, last, last, last, "微软雅黑"},
        {2, last, last, last, "微软雅黑"},
        {1, first, "微软雅黑", "微软雅黑", "微软雅黑"},  // element 2 is selected on screen 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.screen);
        data_->RebuildDefaultSymbols();
        for (int id : {3, 4}) data_->FindSymbol(id)->fontSize = 40;
        auto box = Open(c.screen);
        box->FontBox()->setCurrentIndex(box->FontBox()->findText(c.family));
        EXPECT_EQ(data_->FindSymbol(3)->FontName, c.expect3);
        EXPECT_EQ(data_->FindSymbol(4)->FontName, c.expect4);
        EXPECT_EQ(data_->FindSymbol(1)->FontName, c.expect1);
        if (c.screen >= 2) {
            // A new face is fitted again rather than drawn at the old face's size.
            EXPECT_EQ(data_->FindSymbol(3)->fontSize, -1);
            EXPECT_EQ(data_->FindSymbol(4)->fontSize, -1);
        }
        EXPECT_EQ(owner_.notices, std::vector<int>{0});
    }

    // And the other screen shows the shared font at once.
    data_->RebuildDefaultSymbols();
    auto box = Open(2);
    box->FontBox()->setCurrentIndex(box->FontBox()->findText(last));
    box->ScreenBox()->setCurrentIndex(3);
    EXPECT_EQ(box->FontBox()->currentText(), last);
}

TEST_F(DesignToolboxTest, HighlightedFontPreviewsAndClosingTheListPutsTheShownOneBack) {
    const auto [first, last] = TwoFamilies();
    ASSERT_FALSE(first.isEmpty());
    data_->FindSymbol(0)->FontName = first.toUpper() == first ? first.toLower() : first.toUpper();
    auto box = Open(0);
    DesignSymbol* title = data_->FindSymbol(0);
    const QString start = title->FontName;
    QComboBox* fonts = box->FontBox();
    EXPECT_EQ(fonts->currentText(), first);  // found regardless of letter case

    box->show();
    fonts->showPopup();
    // Only letter case differs: no preview.
    emit fonts->highlighted(fonts->findText(first));
    EXPECT_EQ(title->FontName, start);
    EXPECT_TRUE(owner_.notices.empty());

    emit fonts->highlighted(fonts->findText(last));
    EXPECT_EQ(title->FontName, last);
    EXPECT_EQ(owner_.notices, std::vector<int>{0});

    fonts->hidePopup();
    QApplication::processEvents();
    EXPECT_EQ(title->FontName, first);  // the box still shows the first family
    EXPECT_EQ(fonts->currentText(), first);
}

TEST_F(DesignToolboxTest, UninstalledFamilySurvivesAPreviewThatIsNotPicked) {
    const auto [first, last] = TwoFamilies();
    ASSERT_FALSE(first.isEmpty());
    data_->FindSymbol(0)->FontName = "No Such Family";
    auto box = Open(0);
    QComboBox* fonts = box->FontBox();
    EXPECT_EQ(fonts->currentIndex(), -1);
    EXPECT_EQ(fonts->placeholderText(), "No Such Family");

    box->show();
    fonts->showPopup();
    emit fonts->highlighted(fonts->findText(last));
    EXPECT_EQ(data_->FindSymbol(0)->FontName, last);
    fonts->hidePopup();
    QApplication::processEvents();
    EXPECT_EQ(data_->FindSymbol(0)->FontName, "No Such Family");
}

TEST_F(DesignToolboxTest, ColourGoesToTheSelectedElementOnly) {
    auto box = Open(3);  // element 4 selected
    ColorButton* button = box->ColorPicker();
    EXPECT_EQ(button->Color(), 0x0000FFFFu);  // the winner names' yellow
    emit button->notify(ColorButton::kSelectionChanged, 0x00123456, true);
    EXPECT_EQ(data_->FindSymbol(4)->Color, 0x00123456u);
    EXPECT_EQ(data_->FindSymbol(3)->Color, 0u);
    // The automatic value stands for the default colour, black.
    emit button->notify(ColorButton::kSelectionChanged, 0xFF000000, true);
    EXPECT_EQ(data_->FindSymbol(4)->Color, 0u);
    // Other notices of the button change nothing.
    emit button->notify(ColorButton::kDropDown, 0x00FFFFFF, true);
    EXPECT_EQ(data_->FindSymbol(4)->Color, 0u);

    box->SelectElement(1);
    EXPECT_EQ(button->Color(), 0u);
}

TEST_F(DesignToolboxTest, PaintsThreeBandsAndALabelBesideEveryBox) {
    auto box = Open(2);
    const QImage shot = box->grab().toImage();
    const int x = shot.width() - 3;
    EXPECT_EQ(shot.pixel(x, 2), 0xFFA8A8A8);
    EXPECT_EQ(shot.pixel(x, 87), 0xFFA8A8A8);
    EXPECT_EQ(shot.pixel(x, 88), 0xFFF0F0F0);
    EXPECT_EQ(shot.pixel(x, 133), 0xFFF0F0F0);
    EXPECT_EQ(shot.pixel(x, 134), 0xFFFFFFFF);
    EXPECT_EQ(shot.pixel(x, shot.height() - 2), 0xFFFFFFFF);

    const QWidget* boxes[] = {box->BackgroundBox(), box->ScreenBox(), box->ElementBox(),
                              box->FontBox(), box->ColorPicker()};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const QRect label = box->LabelRects()[i];
        const QRect control = boxes[i]->geometry();
        EXPECT_LE(label.right(), control.left());
        EXPECT_TRUE(control.contains(control.left(), label.center().y()));
        // Some text is drawn in black-ish pixels inside each label.
        int dark = 0;
        for (int y = label.top(); y <= label.bottom(); ++y)
            for (int xx = label.left(); xx <= label.right(); ++xx)
                if (qGray(shot.pixel(xx, y)) < 80) ++dark;
        EXPECT_GT(dark, 10);
    }
}

}  // namespace
