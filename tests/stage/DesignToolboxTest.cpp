#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

#include "controls/ColorButton.h"
#include "controls/ColorPalettePopup.h"
#include "controls/MediaComboBox.h"
#include "model/AppData.h"
#include "model/DesignSymbol.h"
#include "stage/DesignToolbox.h"
#include "support/FakeUi.h"
#include "support/TestFolder.h"
#include "ui/Notices.h"

namespace {

// Stands in for the design window: records the notices the toolbox sends.
class NoticeRecorder : public QWidget {
  public:
    std::vector<int> notices;

  protected:
    bool event(QEvent* e) override {
        if (NoticeEvent::NumberOf(e) != WM_DESIGN_CHANGED) return QWidget::event(e);
        notices.push_back(static_cast<NoticeEvent*>(e)->Argument());
        return true;
    }
};

class DesignToolboxTest : public ::testing::Test {
  protected:
    std::unique_ptr<DesignToolbox> Open(int lastFrame) {
        data_.SetLastFrame(lastFrame);
        auto box = std::make_unique<DesignToolbox>(data_, &owner_);
        owner_.notices.clear();
        return box;
    }
    DesignSymbol& Symbol(int id) { return *data_.FindSymbol(id); }

    TestFolder folder_;
    FakeUi fake_;
    AppData data_{folder_.Path()};
    NoticeRecorder owner_;
    const QStringList families_ = DesignToolbox::FontFamilies();
};

TEST_F(DesignToolboxTest, OpeningShowsTheStoredScreenWithItsElements) {
    const std::tuple<int, int, std::vector<int>> cases[] = {
        {0, 0, {0}},       {1, 1, {1, 2}}, {2, 2, {1, 6, 3}},
        {3, 3, {1, 6, 4}}, {4, 0, {0}},    {-1, 0, {0}},
    };
    for (const auto& [lastFrame, screen, elements] : cases) {
        SCOPED_TRACE(lastFrame);
        data_.SetLastFrame(lastFrame);
        owner_.notices.clear();
        DesignToolbox box(data_, &owner_);
        EXPECT_EQ(owner_.notices, std::vector<int>{0});
        EXPECT_EQ(box.ScreenBox()->currentIndex(), screen);
        EXPECT_EQ(data_.LastFrame(), screen);  // an invalid screen is stored back as 0
        EXPECT_EQ(box.OfferedElements(), elements);
        EXPECT_EQ(box.SelectedElement(), elements.back());
        EXPECT_EQ(box.ElementBox()->currentText(), Symbol(elements.back()).label);
    }
    ASSERT_FALSE(families_.isEmpty());
    for (qsizetype i = 0; i < families_.size(); ++i) {
        EXPECT_FALSE(families_[i].startsWith('@'));
        if (i > 0) {
            EXPECT_LT(families_[i - 1].compare(families_[i], Qt::CaseInsensitive), 0);
        }
    }
}

TEST_F(DesignToolboxTest, EveryActionSendsItsNotice) {
    const auto color = [](uint32_t ref, bool valid) {
        return [=](DesignToolbox& b) {
            emit b.ColorPicker()->notify(ColorButton::kSelectionChanged, ref, valid);
        };
    };
    const auto browse = [this](QString answer) {
        return [this, answer](DesignToolbox& b) {
            fake_.fileNames.push_back(answer);
            QTest::mouseClick(b.BrowseButton(), Qt::LeftButton);
        };
    };
    const std::tuple<const char*, std::function<void(DesignToolbox&)>, std::vector<int>> cases[] = {
        {"background", [](auto& b) { b.BackgroundBox()->setCurrentIndex(2); }, {1}},
        {"file chosen", browse(folder_.File("舞台.png")), {1}},
        {"file dialog cancelled", browse(QString()), {}},
        {"screen", [](auto& b) { b.ScreenBox()->setCurrentIndex(3); }, {2}},
        {"element", [](auto& b) { b.ElementBox()->setCurrentIndex(0); }, {0}},
        {"element from the window", [](auto& b) { b.SelectElement(6); }, {0}},
        {"already selected", [](auto& b) { b.SelectElement(3); }, {}},
        {"not offered", [](auto& b) { b.SelectElement(5); }, {}},
        {"colour", color(0x00FF0000, true), {0}},
        {"same colour", color(0, true), {}},
        {"no cell under the mouse", color(0x00FF0000, false), {}},
    };
    for (const auto& [name, act, notices] : cases) {
        SCOPED_TRACE(name);
        data_.RebuildDefaultSymbols();
        auto box = Open(2);
        act(*box);
        EXPECT_EQ(owner_.notices, notices);
    }
    EXPECT_EQ(data_.BackgroundList().SelectedPath(), folder_.File("舞台.png"));
    ASSERT_EQ(fake_.fileRequests.size(), 2u);
    EXPECT_EQ(fake_.fileRequests[0].filter,
              "图片文件（jpg;jpeg;png;gif;bmp）|*.jpg;*.jpeg;*.png;*.gif;*.bmp||");
}

// The rolling and the winning names share one font, whichever of them is given it.
TEST_F(DesignToolboxTest, NameElementsShareTheirFont) {
    ASSERT_GE(families_.size(), 2);
    const QString a = families_.front(), b = families_.back(), none = "微软雅黑";
    // Screen 2 selects element 3, screen 3 element 4, screen 1 element 2.
    const std::tuple<int, QString, QString, QString, QString> cases[] = {
        {2, a, a, a, none}, {3, b, b, b, none}, {1, a, none, none, a}};
    for (const auto& [screen, family, font3, font4, font2] : cases) {
        SCOPED_TRACE(screen);
        data_.RebuildDefaultSymbols();
        Symbol(3).fontSize = Symbol(4).fontSize = 40;
        auto box = Open(screen);
        box->FontBox()->setCurrentIndex(box->FontBox()->findText(family));
        EXPECT_EQ(Symbol(3).FontName, font3);
        EXPECT_EQ(Symbol(4).FontName, font4);
        EXPECT_EQ(Symbol(2).FontName, font2);
        EXPECT_EQ(Symbol(1).FontName, none);
        EXPECT_EQ(owner_.notices, std::vector<int>{0});
        // A new face is fitted again rather than drawn at the old face's size.
        if (screen >= 2) {
            EXPECT_EQ(Symbol(3).fontSize + Symbol(4).fontSize, -2);
        }
        if (screen == 2) {
            box->ScreenBox()->setCurrentIndex(3);
            EXPECT_EQ(box->FontBox()->currentText(), a);
        }
    }
}

// Moving through the open list previews each font; closing it without a pick puts back the
// font the box shows, even one that is not installed here.
TEST_F(DesignToolboxTest, HighlightPreviewsAndClosingTheListRestores) {
    ASSERT_GE(families_.size(), 2);
    const QString first = families_.front(), last = families_.back();
    const QString otherCase = first.toUpper() == first ? first.toLower() : first.toUpper();
    const std::tuple<QString, int, QString> cases[] = {
        {otherCase, 0, first},  // found whatever the letter case; that case is what stays
        {"No Such Family", -1, "No Such Family"},
    };
    for (const auto& [stored, index, restored] : cases) {
        SCOPED_TRACE(stored.toStdString());
        Symbol(0).FontName = stored;
        auto box = Open(0);
        QComboBox* fonts = box->FontBox();
        EXPECT_EQ(fonts->currentIndex(), index);
        EXPECT_EQ(fonts->placeholderText(), index < 0 ? stored : QString());
        box->show();
        fonts->showPopup();
        emit fonts->highlighted(fonts->findText(first));
        EXPECT_EQ(Symbol(0).FontName, index < 0 ? first : stored);  // case alone is no change
        emit fonts->highlighted(fonts->findText(last));
        EXPECT_EQ(Symbol(0).FontName, last);
        fonts->hidePopup();
        QApplication::processEvents();
        EXPECT_EQ(Symbol(0).FontName, restored);
    }
}

TEST_F(DesignToolboxTest, ColourGoesToTheSelectedElementOnly) {
    auto box = Open(3);  // element 4 selected
    ColorButton* button = box->ColorPicker();
    EXPECT_EQ(button->Color(), 0x0000FFFFu);  // the winner names' yellow
    emit button->notify(ColorButton::kSelectionChanged, 0x00123456, true);
    EXPECT_EQ(Symbol(4).Color, 0x00123456u);
    EXPECT_EQ(Symbol(3).Color, 0u);
    // The automatic value stands for the default colour, black; other notices change nothing.
    emit button->notify(ColorButton::kSelectionChanged, ColorButton::kAutomatic, true);
    emit button->notify(ColorButton::kDropDown, 0x00FFFFFF, true);
    EXPECT_EQ(Symbol(4).Color, 0u);
    box->SelectElement(1);
    EXPECT_EQ(button->Color(), 0u);
}

TEST_F(DesignToolboxTest, PaintsThreeBandsAndALabelBesideEveryBox) {
    auto box = Open(2);
    const QImage shot = box->grab().toImage();
    const int x = shot.width() - 3;
    const std::pair<int, QRgb> bands[] = {{2, 0xFFA8A8A8},   {87, 0xFFA8A8A8},
                                          {88, 0xFFF0F0F0},  {133, 0xFFF0F0F0},
                                          {134, 0xFFFFFFFF}, {shot.height() - 2, 0xFFFFFFFF}};
    for (const auto& [y, rgb] : bands) EXPECT_EQ(shot.pixel(x, y), rgb) << y;

    const QWidget* boxes[] = {box->BackgroundBox(), box->ScreenBox(), box->ElementBox(),
                              box->FontBox(), box->ColorPicker()};
    for (int i = 0; i < 5; ++i) {
        const QRect label = box->LabelRects()[i];
        const QRect control = boxes[i]->geometry();
        EXPECT_LE(label.right(), control.left()) << i;
        EXPECT_TRUE(control.contains(control.left(), label.center().y())) << i;
        int dark = 0;
        for (int y = label.top(); y <= label.bottom(); ++y)
            for (int xx = label.left(); xx <= label.right(); ++xx)
                dark += qGray(shot.pixel(xx, y)) < 80;
        EXPECT_GT(dark, 10) << i;
    }
}

}  // namespace
