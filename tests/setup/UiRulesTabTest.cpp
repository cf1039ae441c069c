#include <gtest/gtest.h>

#include <QApplication>

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <memory>
#include <tuple>

#include "controls/MediaComboBox.h"
#include "controls/ScreenComboBox.h"
#include "model/AppData.h"
#include "model/DesignSymbol.h"
#include "setup/UiRulesTab.h"
#include "stage/DesignToolbox.h"
#include "stage/DesignWindow.h"
#include "support/FakeUi.h"
#include "support/TestFolder.h"

namespace {

QStringList Items(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
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
    const std::tuple<int, QString, int> cases[] = {
        {0, "编号", 0}, {2, "姓名 + 部门", 2}, {3, "手机", 3}, {7, "姓名", 1}, {-1, "姓名", 1}};
    for (const auto& [stored, shown, fieldType] : cases) {
        SCOPED_TRACE(stored);
        data_->SetFieldType(stored, false);
        auto tab = Open();
        EXPECT_EQ(Items(tab->DrawKeyBox()), (QStringList{"编号", "姓名", "姓名 + 部门", "手机"}));
        EXPECT_EQ(tab->DrawKeyLabel(), shown);
        EXPECT_EQ(data_->FieldType(), fieldType);
        EXPECT_FALSE(data_->FieldTypeChosenByOperator());
    }
}

TEST_F(UiRulesTabTest, RulesPickedByHandButNotBySelectDrawKey) {
    data_->SetFieldType(2, false);
    auto tab = Open();
    // The main window shows a key it chose itself: FieldType and the flag stay.
    for (const auto& [n, shown] : {std::pair{3, "手机"}, std::pair{-1, "手机"},
                                   std::pair{4, "手机"}, std::pair{0, "编号"}}) {
        tab->SelectDrawKey(n);
        EXPECT_EQ(tab->DrawKeyLabel(), shown) << n;
    }
    EXPECT_EQ(data_->FieldType(), 2);
    EXPECT_FALSE(data_->FieldTypeChosenByOperator());

    tab->DrawKeyBox()->setFocus();
    QTest::keyClick(tab->DrawKeyBox(), Qt::Key_Down);  // the operator steps to "姓名"
    EXPECT_EQ(data_->FieldType(), 1);
    EXPECT_TRUE(data_->FieldTypeChosenByOperator());
    tab->DrawKeyBox()->setCurrentIndex(3);
    EXPECT_EQ(data_->FieldType(), 3);

    EXPECT_FALSE(tab->RepeatBox()->isChecked());
    EXPECT_TRUE(tab->RepeatBox()->text().isEmpty());
    for (bool expected : {true, false}) {
        QTest::mouseClick(tab->RepeatBox(), Qt::LeftButton);
        EXPECT_EQ(data_->AllowRepeat(), expected);
    }
}

TEST_F(UiRulesTabTest, TypedTitleReachesAppDataAtEveryKeystrokeAndTheFile) {
    data_->SetTitle("年会");
    {
        auto tab = Open();
        QLineEdit* box = tab->TitleBox();
        box->setFocus();
        box->end(false);
        QString expected = data_->Title();
        for (QChar ch : QString(" 2026 盛典 ")) {
            if (ch.unicode() < 128)
                QTest::keyClicks(box, QString(ch));
            else  // keyClicks knows only ASCII keys; typed text arrives the same way
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch),
                                    Qt::NoModifier);
            expected += ch;
            EXPECT_EQ(data_->Title(), expected);  // untrimmed
        }
    }
    data_.reset();  // quitting writes data.xml
    EXPECT_EQ(AppData(folder_.Path()).Title(), "年会 2026 盛典 ");
}

TEST_F(UiRulesTabTest, ChosenFilesJoinTheirListsAndTheFifthDropsTheOldest) {
    auto tab = Open();
    const std::tuple<QPushButton*, MediaComboBox*, QString, QStringList> cases[] = {
        {tab->MusicButton(), tab->MusicBox(), "MP3文件(*.mp3)|*.mp3||", {"默认音乐", "默认音乐2"}},
        {tab->BackgroundButton(),
         tab->BackgroundBox(),
         "图片文件（jpg;jpeg;png;gif;bmp）|*.jpg;*.jpeg;*.png;*.gif;*.bmp||",
         {"默认背景", "鸿运当头", "吉星高照"}},
    };
    for (const auto& [button, box, filter, presets] : cases) {
        SCOPED_TRACE(filter.toStdString());
        fake_.fileRequests.clear();
        for (int i = 1; i <= 5; ++i) {
            fake_.fileNames.push_back(folder_.File(QStringLiteral("文件%1.x").arg(i)));
            QTest::mouseClick(button, Qt::LeftButton);
        }
        QTest::mouseClick(button, Qt::LeftButton);  // cancelled: nothing changes
        ASSERT_EQ(fake_.fileRequests.size(), 6u);
        EXPECT_EQ(fake_.fileRequests.back().filter, filter);
        EXPECT_EQ(Items(box), presets + QStringList({"文件5", "文件4", "文件3", "文件2"}));
        EXPECT_EQ(box->currentIndex(), presets.size());
        EXPECT_EQ(box->List().Index(), presets.size());
        box->setCurrentIndex(1);
        EXPECT_EQ(box->List().Index(), 1);
        box->Fill(9);  // an index out of range selects and stores the first entry
        EXPECT_EQ(box->currentIndex(), 0);
        EXPECT_EQ(box->List().Index(), 0);
    }
}

TEST_F(UiRulesTabTest, RestoreDefaultsAsksFirstAndKeepsAddedEntries) {
    for (Ui::Answer answer : {Ui::Answer::Cancel, Ui::Answer::Ok}) {
        const bool restored = answer == Ui::Answer::Ok;
        SCOPED_TRACE(restored);
        data_->RebuildDefaultSymbols();
        data_->SetTitle("标题");
        auto tab = Open();
        fake_.fileNames.push_back(folder_.File("舞台.png"));
        QTest::mouseClick(tab->BackgroundButton(), Qt::LeftButton);
        tab->MusicBox()->setCurrentIndex(1);
        data_->FindSymbol(3)->FontName = "Serif";
        fake_.messages.clear();
        fake_.answers.push_back(answer);

        QTest::mouseClick(tab->RestoreButton(), Qt::LeftButton);

        ASSERT_EQ(fake_.messages.size(), restored ? 2u : 1u);
        EXPECT_EQ(fake_.messages[0].text, "确认要恢复界面的默认设置吗");
        EXPECT_EQ(fake_.messages[0].icon, Ui::Icon::Question);
        EXPECT_EQ(fake_.messages[0].buttons, Ui::Buttons::OkCancel);
        EXPECT_EQ(fake_.messages.back().text,
                  restored ? "界面已恢复默认设置" : "确认要恢复界面的默认设置吗");
        EXPECT_EQ(data_->FindSymbol(3)->FontName, restored ? "微软雅黑" : "Serif");
        EXPECT_EQ(tab->BackgroundBox()->currentIndex(), restored ? 0 : 3);
        EXPECT_EQ(data_->BackgroundList().Index(), restored ? 0 : 3);
        EXPECT_EQ(tab->BackgroundBox()->itemText(3), "舞台");  // the added entry stays
        EXPECT_EQ(tab->MusicBox()->currentIndex(), restored ? 0 : 1);
        EXPECT_EQ(data_->MusicList().Index(), restored ? 0 : 1);
        EXPECT_EQ(data_->Title(), "标题");
    }
}

TEST_F(UiRulesTabTest, DesignButtonRunsDesignModeThenShowsItsBackground) {
    auto tab = Open();
    fake_.onExec = [](QDialog& d) {
        static_cast<DesignWindow&>(d).Toolbox().BackgroundBox()->setCurrentIndex(2);
        return int(QDialog::Rejected);
    };
    QTest::mouseClick(tab->DesignButton(), Qt::LeftButton);
    EXPECT_EQ(fake_.execTitles.size(), 1u);
    EXPECT_EQ(tab->BackgroundBox()->currentIndex(), 2);
}

TEST_F(UiRulesTabTest, PaintsBandsLabelsAndTheTitleBorder) {
    auto tab = Open();
    tab->show();
    QApplication::processEvents();
    // The page scrolls: its content is as wide as the page less the scroll bar.
    const QImage shot = tab->Content()->grab().toImage();
    const int w = tab->Content()->width();
    EXPECT_GT(w, 540);
    const std::pair<QPoint, QRgb> probes[] = {
        {{w - 20, 10}, 0xFFF0F0F0},  {{w - 9, 37}, 0xFFF0F0F0},   {{w - 8, 20}, 0xFFFFFFFF},
        {{w - 20, 250}, 0xFFF0F0F0}, {{w - 20, 233}, 0xFFFFFFFF}, {{122, 60}, 0xFFC0C0C0},
        {{w - 8, 60}, 0xFFC0C0C0},   {{200, 46}, 0xFFC0C0C0},     {{200, 76}, 0xFFC0C0C0},
    };
    for (const auto& [at, rgb] : probes) EXPECT_EQ(shot.pixel(at), rgb) << at.x() << "," << at.y();
    // Headings and labels are drawn dark inside their rectangles.
    for (const QRect& r :
         {QRect(11, 8, 40, 30), QRect(32, 46, 90, 30), QRect(32, 84, 90, 30),
          QRect(32, 122, 90, 30), QRect(11, 241, 40, 30), QRect(32, 279, 90, 30),
          QRect(32, 317, 90, 30), QRect(32, 197, 90, 30), QRect(32, 352, 90, 30)}) {
        int dark = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) dark += qGray(shot.pixel(x, y)) < 80;
        EXPECT_GT(dark, 10) << r.x() << "," << r.y();
    }
}

// The projector screen and the presenter remote are remembered in the data file; a screen that
// is not connected stays chosen.
TEST_F(UiRulesTabTest, ShowScreenAndPresenterKeysReachTheFile) {
    data_->SetShowScreen("HDMI-2");
    auto tab = Open();
    ScreenComboBox* screens = tab->ScreenBox();
    ASSERT_GE(screens->count(), 2);
    EXPECT_EQ(screens->currentData().toString(), "HDMI-2");
    EXPECT_TRUE(screens->currentText().contains(QStringLiteral("未连接")));
    const QString primary = QGuiApplication::primaryScreen()->name();
    const int at = screens->findData(primary);
    ASSERT_GE(at, 0);
    screens->activated(at);
    EXPECT_EQ(data_->ShowScreen(), primary);

    EXPECT_FALSE(tab->PresenterBox()->isChecked());
    QTest::mouseClick(tab->PresenterBox(), Qt::LeftButton, {},
                      QPoint(8, tab->PresenterBox()->height() / 2));
    EXPECT_TRUE(data_->PresenterKeys());
    data_->Save(AppData::kSaveData);
    AppData again(folder_.Path());
    EXPECT_EQ(again.ShowScreen(), primary);
    EXPECT_TRUE(again.PresenterKeys());
}

// Two 王磊 of 研发中心 make "姓名 + 部门" repeat: choosing it says so at once and names the rows
// as the candidate page numbers them; a key that is unique says nothing.
TEST_F(UiRulesTabTest, ADrawKeyThatRepeatsIsWarnedOfWithItsRows) {
    for (const auto& [no, name, dept] :
         {std::tuple{"E1", "王磊", "研发中心"}, std::tuple{"E2", "李娜", "市场部"},
          std::tuple{"E3", "王磊", "研发中心"}, std::tuple{"", "赵六", "财务部"}})
        data_->AddCandidate(no, name, dept, "", int(data_->Candidates().size()));
    auto tab = Open();
    tab->DrawKeyBox()->setCurrentIndex(2);  // 姓名 + 部门
    EXPECT_EQ(tab->DrawKeyWarning()->text(),
              QStringLiteral("按“姓名 + 部门”抽奖不行：第 1、3 行都是“王磊 研发中心”。"
                             "请改用其他抽奖信息，或在抽奖名单中改正。"));
    tab->DrawKeyBox()->setCurrentIndex(0);  // 编号: the fourth is empty
    EXPECT_TRUE(tab->DrawKeyWarning()->text().contains(QStringLiteral("第 4 行为空")));
    data_->Candidates()[3]->NO = QStringLiteral("E4");
    tab->CheckDrawKey();
    EXPECT_TRUE(tab->DrawKeyWarning()->text().isEmpty());

    EXPECT_FALSE(tab->AlwaysHelpBox()->isChecked());
    QTest::mouseClick(tab->AlwaysHelpBox(), Qt::LeftButton, {},
                      QPoint(8, tab->AlwaysHelpBox()->height() / 2));
    EXPECT_TRUE(data_->AlwaysShowHelp());
    data_->Save(AppData::kSaveData);
    EXPECT_TRUE(AppData(folder_.Path()).AlwaysShowHelp());
}

// The stop sound and the hidden phone digits: on in a file that never had them, each choice on
// the page reaches the file, and 默认 goes back to the built-in sound.
TEST_F(UiRulesTabTest, StopSoundAndHiddenPhoneDigitsReachTheFile) {
    EXPECT_TRUE(data_->StopSoundEnabled());
    EXPECT_TRUE(data_->HidePhoneDigits());
    EXPECT_TRUE(data_->StopSoundPath().endsWith(QStringLiteral("sound/stop.wav")));
    auto tab = Open();
    EXPECT_EQ(tab->StopSoundBox()->text(), QStringLiteral("播放（内置音效）"));
    EXPECT_FALSE(tab->StopSoundDefault()->isEnabled());

    const QString chosen = folder_.File(QStringLiteral("叮.wav"));
    fake_.fileNames.push_back(chosen);
    tab->StopSoundButton()->click();
    EXPECT_EQ(data_->StopSoundFile(), chosen);
    EXPECT_EQ(tab->StopSoundBox()->text(), QStringLiteral("播放（叮.wav）"));
    QTest::mouseClick(tab->StopSoundBox(), Qt::LeftButton, {},
                      QPoint(8, tab->StopSoundBox()->height() / 2));
    QTest::mouseClick(tab->HidePhoneBox(), Qt::LeftButton, {},
                      QPoint(8, tab->HidePhoneBox()->height() / 2));
    data_->Save(AppData::kSaveData);
    {
        AppData again(folder_.Path());
        EXPECT_FALSE(again.StopSoundEnabled());
        EXPECT_EQ(again.StopSoundFile(), chosen);
        EXPECT_EQ(again.StopSoundPath(), chosen);
        EXPECT_FALSE(again.HidePhoneDigits());
    }
    tab->StopSoundDefault()->click();
    EXPECT_TRUE(data_->StopSoundFile().isEmpty());
    EXPECT_FALSE(tab->StopSoundDefault()->isEnabled());
}

}  // namespace
