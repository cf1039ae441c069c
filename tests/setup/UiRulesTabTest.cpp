#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "model/AppData.h"
#include "model/DesignSymbol.h"
#include "setup/MediaComboBox.h"
#include "setup/UiRulesTab.h"
#include "show/DesignToolbox.h"
#include "show/DesignWindow.h"
#include "support/FakeUi.h"
#include "support/TestFolder.h"

namespace {

QStringList Items(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

QStringList Names(const MediaList& list) {
    QStringList out;
    for (const MediaEntry& e : list.Entries()) out << e.name;
    return out;
}

class UiRulesTabTest : public ::testing::Test {
  protected:
    void SetUp() override { data_ = std::make_unique<AppData>(folder_.Path()); }

    std::unique_ptr<UiRulesTab> Open() {
        auto tab = std::make_unique<UiRulesTab>(*data_, nullptr);
        tab->resize(580, 410);
        return tab;
    }

    TestFolder folder_;
    FakeUi fake_;
    std::unique_ptr<AppData> data_;
};

TEST_F(UiRulesTabTest, DrawKeyAtCreationNeverCountsAsTheOperatorsChoice) {
    struct Case {
        int stored;
        QString shown;
        int fieldType;
    };
    const Case cases[] = {
        {0, "编号", 0}, {1, "姓名", 1},  {2, "姓名 + 部门", 2}, {3, "手机", 3},
        {7, "姓名", 1}, {-1, "姓名", 1}, {4, "姓名", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        data_->SetFieldType(c.stored, false);
        auto tab = Open();
        EXPECT_EQ(tab->objectName(), "VT_TAB_UI");
        EXPECT_EQ(Items(tab->DrawKeyBox()), (QStringList{"编号", "姓名", "姓名 + 部门", "手机"}));
        EXPECT_EQ(tab->DrawKeyLabel(), c.shown);
        EXPECT_EQ(data_->FieldType(), c.fieldType);
        EXPECT_FALSE(data_->FieldTypeChosenByOperator());
    }
}

TEST_F(UiRulesTabTest, DrawKeyPickedByHandSetsTheFlagButSelectDrawKeyDoesNot) {
    auto tab = Open();
    // The main window shows a key it chose itself.
    tab->SelectDrawKey(0);
    EXPECT_EQ(tab->DrawKeyLabel(), "编号");
    EXPECT_EQ(data_->FieldType(), 0);  // unchanged: it was 0 already
    data_->SetFieldType(2, false);
    tab->SelectDrawKey(3);
    EXPECT_EQ(tab->DrawKeyLabel(), "手机");
    EXPECT_EQ(data_->FieldType(), 2);
    EXPECT_FALSE(data_->FieldTypeChosenByOperator());
    for (int outside : {-1, 4, 100}) {
        tab->SelectDrawKey(outside);
        EXPECT_EQ(tab->DrawKeyLabel(), "手机");
    }

    // The operator steps the list up to "姓名 + 部门" and then picks "手机" again.
    tab->DrawKeyBox()->setFocus();
    QTest::keyClick(tab->DrawKeyBox(), Qt::Key_Up);
    EXPECT_EQ(data_->FieldType(), 2);
    EXPECT_TRUE(data_->FieldTypeChosenByOperator());
    tab->DrawKeyBox()->setCurrentIndex(3);
    EXPECT_EQ(data_->FieldType(), 3);
    EXPECT_EQ(tab->DrawKeyLabel(), "手机");
    EXPECT_TRUE(data_->FieldTypeChosenByOperator());
}

TEST_F(UiRulesTabTest, TypedTitleReachesAppDataAtEveryKeystrokeAndTheFile) {
    data_->SetTitle("年会");
    {
        auto tab = Open();
        QLineEdit* box = tab->TitleBox();
        EXPECT_EQ(box->text(), "年会");
        box->setFocus();
        box->end(false);
        const QString typed = " 2026 盛典 ";
        QString expected = "年会";
        for (QChar ch : typed) {
            if (ch.unicode() < 128)
                QTest::keyClicks(box, QString(ch));
            else  // keyClicks knows only ASCII keys; typed text arrives the same way
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch),
                                    Qt::NoModifier);
            expected += ch;
            EXPECT_EQ(data_->Title(), expected);  // untrimmed
        }
        QTest::keyClick(box, Qt::Key_Backspace);
        EXPECT_EQ(data_->Title(), "年会 2026 盛典");
    }
    data_.reset();  // quitting writes data.xml
    AppData reread(folder_.Path());
    EXPECT_EQ(reread.Title(), "年会 2026 盛典");
}

TEST_F(UiRulesTabTest, ChosenFilesJoinTheirListsAndTheFifthDropsTheOldest) {
    struct Case {
        const char* name;
        QPushButton* (UiRulesTab::*button)() const;
        MediaComboBox* (UiRulesTab::*box)() const;
        MediaList& (AppData::*list)();
        QString filter;
        QStringList presets;
        QString suffix;
    };
    const Case cases[] = {
        {"music",
         &UiRulesTab::MusicButton,
         &UiRulesTab::MusicBox,
         &AppData::MusicList,
         "MP3文件(*.mp3)|*.mp3||",
         {"默认音乐", "默认音乐2"},
         ".mp3"},
        {"background",
         &UiRulesTab::BackgroundButton,
         &UiRulesTab::BackgroundBox,
         &AppData::BackgroundList,
         "图片文件（jpg;jpeg;png;gif;bmp）|*.jpg;*.jpeg;*.png;*.gif;*.bmp||",
         {"默认背景", "鸿运当头", "吉星高照"},
         ".jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto tab = Open();
        QPushButton* button = ((*tab).*(c.button))();
        MediaComboBox* box = ((*tab).*(c.box))();
        MediaList& list = ((*data_).*(c.list))();
        for (int i = 1; i <= 5; ++i) {
            fake_.fileNames.push_back(folder_.File(QStringLiteral("曲目%1").arg(i) + c.suffix));
            QTest::mouseClick(button, Qt::LeftButton);
        }
        // Cancelled: nothing changes.
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_EQ(fake_.fileRequests.size(), 6u);
        EXPECT_EQ(fake_.fileRequests.back().filter, c.filter);
        fake_.fileRequests.clear();

        const QStringList expected = c.presets + QStringList{"曲目5", "曲目4", "曲目3", "曲目2"};
        EXPECT_EQ(Names(list), expected);
        EXPECT_EQ(Items(box), expected);
        EXPECT_EQ(box->currentIndex(), c.presets.size());
        EXPECT_EQ(list.Index(), c.presets.size());

        box->setCurrentIndex(1);  // picked by the operator
        EXPECT_EQ(list.Index(), 1);
    }
}

TEST_F(UiRulesTabTest, MediaBoxWithAStoredIndexOutOfRangeSelectsTheFirstEntry) {
    auto tab = Open();
    MediaComboBox* box = tab->BackgroundBox();
    data_->BackgroundList().SetIndex(2);
    box->Fill(2);
    EXPECT_EQ(box->currentIndex(), 2);
    box->Fill(9);
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_EQ(data_->BackgroundList().Index(), 0);
}

TEST_F(UiRulesTabTest, RestoreDefaultsAsksFirstAndKeepsAddedEntries) {
    for (Ui::Answer answer : {Ui::Answer::Cancel, Ui::Answer::Ok}) {
        SCOPED_TRACE(int(answer));
        data_->RebuildDefaultSymbols();
        data_->SetTitle("标题");
        data_->SetAllowRepeat(true);
        auto tab = Open();
        fake_.fileNames.push_back(folder_.File("舞台.png"));
        QTest::mouseClick(tab->BackgroundButton(), Qt::LeftButton);
        tab->MusicBox()->setCurrentIndex(1);
        DesignSymbol* names = data_->FindSymbol(3);
        names->FontName = "Serif";
        names->Color = 0x00FF00FF;
        fake_.messages.clear();
        fake_.answers.push_back(answer);

        QTest::mouseClick(tab->RestoreButton(), Qt::LeftButton);

        const bool restored = answer == Ui::Answer::Ok;
        ASSERT_GE(fake_.messages.size(), 1u);
        EXPECT_EQ(fake_.messages[0].text, "确认要恢复界面的默认设置吗");
        EXPECT_EQ(fake_.messages[0].icon, Ui::Icon::Question);
        EXPECT_EQ(fake_.messages[0].buttons, Ui::Buttons::OkCancel);
        EXPECT_EQ(fake_.MessageTexts().size(), restored ? 2 : 1);
        if (restored) {
            EXPECT_EQ(fake_.messages[1].text, "界面已恢复默认设置");
            EXPECT_EQ(fake_.messages[1].icon, Ui::Icon::Information);
        }
        EXPECT_EQ(data_->FindSymbol(3)->FontName, restored ? "微软雅黑" : "Serif");
        EXPECT_EQ(data_->FindSymbol(3)->Color, restored ? 0u : 0x00FF00FFu);
        EXPECT_EQ(data_->BackgroundList().Index(), restored ? 0 : 3);
        EXPECT_EQ(tab->BackgroundBox()->currentIndex(), restored ? 0 : 3);
        EXPECT_EQ(tab->BackgroundBox()->itemText(3), "舞台");  // the added entry stays
        EXPECT_EQ(data_->MusicList().Index(), restored ? 0 : 1);
        EXPECT_EQ(tab->MusicBox()->currentIndex(), restored ? 0 : 1);
        EXPECT_EQ(data_->Title(), "标题");
        EXPECT_TRUE(data_->AllowRepeat());
    }
}

TEST_F(UiRulesTabTest, RepeatBoxFollowsTheStoredRuleAndEveryClick) {
    for (bool stored : {false, true}) {
        SCOPED_TRACE(stored);
        data_->SetAllowRepeat(stored);
        auto tab = Open();
        EXPECT_EQ(tab->RepeatBox()->isChecked(), stored);
        EXPECT_TRUE(tab->RepeatBox()->text().isEmpty());
        QTest::mouseClick(tab->RepeatBox(), Qt::LeftButton);
        EXPECT_EQ(data_->AllowRepeat(), !stored);
        QTest::mouseClick(tab->RepeatBox(), Qt::LeftButton);
        EXPECT_EQ(data_->AllowRepeat(), stored);
    }
}

TEST_F(UiRulesTabTest, DesignButtonRunsDesignModeThenShowsItsBackground) {
    auto tab = Open();
    fake_.onExec = [](QDialog& d) {
        auto& window = static_cast<DesignWindow&>(d);
        window.Toolbox().BackgroundBox()->setCurrentIndex(2);
        return int(QDialog::Rejected);
    };
    QTest::mouseClick(tab->DesignButton(), Qt::LeftButton);
    EXPECT_EQ(fake_.execTitles.size(), 1u);
    EXPECT_EQ(data_->BackgroundList().Index(), 2);
    EXPECT_EQ(tab->BackgroundBox()->currentIndex(), 2);
    EXPECT_TRUE(QFile::exists(data_->DataFilePath()));
}

TEST_F(UiRulesTabTest, PaintsBandsLabelsAndTheTitleBorder) {
    auto tab = Open();
    const QImage shot = tab->grab().toImage();
    const int w = tab->width();
    struct Probe {
        QPoint at;
        QRgb color;
    };
    const Probe probes[] = {
        {{w - 20, 10}, 0xFFF0F0F0},   // band "界面"
        {{w - 9, 37}, 0xFFF0F0F0},    //   its last pixel
        {{w - 8, 20}, 0xFFFFFFFF},    //   and just beyond it
        {{w - 20, 250}, 0xFFF0F0F0},  // band "规则"
        {{w - 20, 215}, 0xFFFFFFFF},  // page between the sections
        {{122, 60}, 0xFFC0C0C0},      // title cell border, left
        {{w - 8, 60}, 0xFFC0C0C0},    //   right
        {{200, 46}, 0xFFC0C0C0},      //   top
        {{200, 76}, 0xFFC0C0C0},      //   bottom
        {{4, 100}, 0xFFFFFFFF},       // white margin
    };
    for (const Probe& p : probes)
        EXPECT_EQ(shot.pixel(p.at), p.color) << p.at.x() << "," << p.at.y();

    // Headings and labels are drawn dark on their rectangles.
    const QRect texts[] = {{11, 8, 40, 30},   {32, 46, 90, 30},  {32, 84, 90, 30},
                           {32, 122, 90, 30}, {11, 241, 40, 30}, {32, 279, 90, 30},
                           {32, 317, 90, 30}};
    for (const QRect& r : texts) {
        int dark = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (qGray(shot.pixel(x, y)) < 80) ++dark;
        EXPECT_GT(dark, 10) << r.x() << "," << r.y();
    }
    EXPECT_EQ(tab->TitleBox()->geometry(), QRect(125, 52, w - 11 - 125, 24));
    EXPECT_EQ(tab->RestoreButton()->geometry(), QRect(w - 128, 160, 120, 30));
}

}  // namespace
