#include <gtest/gtest.h>

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "model/AppData.h"
#include "model/Winner.h"
#include "setup/WinnerListTab.h"
#include "setup/WinnerStatsDialog.h"
#include "support/FakeUi.h"
#include "ui/WidgetUtilities.h"

namespace {

class WinnerStatsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        data_ = std::make_unique<AppData>(dir_.path() + "/");
        data_->ClearPrizes();
        data_->ClearWinners();
    }
    int32_t Prize(const QString& name, int count, int index) {
        return data_->AddPrize(name, name + QStringLiteral("品"), count, 1, QString(), index);
    }
    void Win(int32_t prize, int times) {
        for (int i = 0; i < times; ++i) {
            auto w = std::make_unique<Winner>();
            w->prize = prize;
            w->candidate = ++candidate_;
            w->show = QString::number(candidate_);
            data_->AddWinner(std::move(w));
        }
    }
    static QStringList Rows(const WinnerStatsDialog& dialog) {
        QStringList out;
        const QTreeWidget* list = dialog.List();
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < WinnerStatsDialog::kColumnCount; ++c)
                cells << list->topLevelItem(i)->text(c);
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }

    FakeUi fake_;
    QTemporaryDir dir_;
    std::unique_ptr<AppData> data_;
    int candidate_ = 0;
};

TEST_F(WinnerStatsDialogTest, CountsDrawnAndRemainingPerPrizeInDrawOrder) {
    const int32_t lowered = Prize(QStringLiteral("二等奖"), 3, 1);
    const int32_t partly = Prize(QStringLiteral("一等奖"), 5, 0);
    const int32_t never = Prize(QStringLiteral("三等奖"), 10, 2);
    const int32_t gone = Prize(QStringLiteral("特别奖"), 1, 3);
    Win(partly, 2);
    Win(lowered, 3);
    Win(gone, 4);
    data_->FindPrize(lowered)->count = 2;  // lowered after its winners were drawn
    data_->DeletePrize(gone);
    // An orphan left in the model is not counted either.
    auto stray = std::make_unique<Winner>();
    stray->prize = 999;
    data_->AddWinner(std::move(stray));

    WinnerStatsDialog dialog(*data_);
    EXPECT_EQ(Rows(dialog), QStringList({"一等奖|一等奖品|5|2|3", "二等奖|二等奖品|2|3|-1",
                                         "三等奖|三等奖品|10|0|10"}));
    const int32_t ids[] = {partly, lowered, never};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(dialog.List()->topLevelItem(i)->data(0, Qt::UserRole).toInt(), ids[i]);

    data_->ClearPrizes();
    WinnerStatsDialog none(*data_);
    EXPECT_EQ(none.List()->topLevelItemCount(), 0);
}

TEST_F(WinnerStatsDialogTest, LayoutAndClosing) {
    WinnerStatsDialog dialog(*data_);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("中奖统计"));
    EXPECT_EQ(dialog.size(), DialogUnitsToPixels(&dialog, 0, 0, 384, 200).size());
    EXPECT_EQ(dialog.List()->geometry(), DialogUnitsToPixels(&dialog, 7, 7, 370, 169));
    EXPECT_EQ(dialog.CloseButton()->geometry(), DialogUnitsToPixels(&dialog, 295, 180, 82, 14));
    EXPECT_EQ(dialog.CloseButton()->text(), QStringLiteral("关闭"));

    // Both the button and Esc close it as cancelled.
    for (bool byEscape : {false, true}) {
        SCOPED_TRACE(byEscape);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        if (byEscape)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
}

// The page's statistics button runs the dialog modally over the current model.
TEST_F(WinnerStatsDialogTest, OpenedFromTheWinnerPage) {
    const int32_t p = Prize(QStringLiteral("一等奖"), 5, 0);
    Win(p, 2);
    WinnerListTab tab(*data_);
    tab.resize(580, 410);
    QStringList seen;
    fake_.onExec = [&](QDialog& d) {
        seen = Rows(static_cast<WinnerStatsDialog&>(d));
        return int(QDialog::Rejected);
    };
    QTest::mouseClick(tab.Button(WinnerListTab::kStats), Qt::LeftButton);
    EXPECT_EQ(fake_.execTitles, std::vector<QString>({QStringLiteral("中奖统计")}));
    EXPECT_EQ(seen, QStringList({"一等奖|一等奖品|5|2|3"}));
}

}  // namespace
