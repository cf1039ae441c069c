#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <vector>

#include "model/AppData.h"
#include "model/Prize.h"
#include "model/Winner.h"
#include "setup/PrizeDialog.h"
#include "setup/PrizeListTab.h"
#include "support/FakeUi.h"
#include "ui/Notices.h"

namespace {

// Stands in for the setup window: counts the notices and drops orphaned winners as it does.
class Owner : public QWidget {
  public:
    explicit Owner(AppData& data) : data_(data) {}
    int prizesChanged = 0;
    int other = 0;

  protected:
    bool event(QEvent* e) override {
        if (const int n = NoticeEvent::NumberOf(e)) {
            if (n == WM_PRIZES_CHANGED) {
                ++prizesChanged;
                data_.RemoveOrphanWinners();
            } else {
                ++other;
            }
            return true;
        }
        return QWidget::event(e);
    }

  private:
    AppData& data_;
};

class PrizeListTabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        data_ = std::make_unique<AppData>(dir_.path() + "/");
        data_->ClearPrizes();
        owner_ = std::make_unique<Owner>(*data_);
        owner_->resize(580, 410);
        owner_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(owner_.get()));
    }

    // Prizes "P1".."Pn" with index 0..n-1, then the page.
    void MakePage(int n) {
        for (int i = 1; i <= n; ++i)
            ids_.push_back(data_->AddPrize(QStringLiteral("P%1").arg(i),
                                           QStringLiteral("C%1").arg(i), i, 1, QString(), i - 1));
        tab_ = new PrizeListTab(*data_, owner_.get());
        tab_->setGeometry(0, 0, 580, 410);
        tab_->show();
    }

    QTreeWidget* List() const { return tab_->List(); }
    QStringList Column(int c) const {
        QStringList out;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            out << List()->topLevelItem(i)->text(c);
        return out;
    }
    std::vector<int> SelectedRows() const {
        std::vector<int> out;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            if (List()->topLevelItem(i)->isSelected()) out.push_back(i);
        return out;
    }
    void Select(std::initializer_list<int> rows) {
        List()->clearSelection();
        for (int r : rows) List()->topLevelItem(r)->setSelected(true);
    }
    int IndexOf(const QString& name) const {
        for (const auto& [id, p] : data_->Prizes())
            if (p->name == name) return p->index;
        return -100;
    }
    // The operator fills the prize dialog and presses its OK button.
    void AnswerDialogWith(const QString& name, const QString& count, const QString& batch) {
        fake_.onExec = [=](QDialog& d) {
            auto& dialog = static_cast<PrizeDialog&>(d);
            dialog.NameBox()->setText(name);
            dialog.CountBox()->setText(count);
            dialog.BatchBox()->setText(batch);
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
            return dialog.result();
        };
    }

    FakeUi fake_;
    QTemporaryDir dir_;
    std::unique_ptr<AppData> data_;
    std::unique_ptr<Owner> owner_;
    PrizeListTab* tab_ = nullptr;
    std::vector<int> ids_;
};

TEST_F(PrizeListTabTest, ListsPrizesInDrawOrderWithItsColumnsAndPlaces) {
    data_->AddPrize("B", "b", 3, 2, "/some/where/pic.JPG", 1);
    data_->AddPrize("A", "", 10, 3, QString(), 0);
    data_->AddPrize("C", "c", 1, 1, "/folder/", 2);
    tab_ = new PrizeListTab(*data_, owner_.get());
    tab_->setGeometry(0, 0, 580, 410);
    tab_->show();
    EXPECT_EQ(tab_->objectName(), QStringLiteral("VT_TAB_PRIZE_LIST"));

    EXPECT_EQ(Column(0), QStringList({"1", "2", "3"}));
    EXPECT_EQ(Column(1), QStringList({"A", "B", "C"}));
    EXPECT_EQ(Column(4), QStringList({"3", "2", "1"}));
    EXPECT_EQ(Column(5), QStringList({"默认", "pic.JPG", "默认"}));
    EXPECT_EQ(List()->geometry(), QRect(QPoint(6, 44), QPoint(580 - 10, 410 - 10)));

    const QStringList labels = {"添加", "修改", "删除", "上移", "下移"};
    for (int i = 0; i < PrizeListTab::kButtonCount; ++i) {
        EXPECT_EQ(tab_->Button(i)->text(), labels[i]);
        EXPECT_EQ(tab_->Button(i)->geometry(), QRect(8 + 93 * i, 8, 90, 30));
    }
    // White page, grey frame around the list.
    const QImage shot = tab_->grab().toImage();
    EXPECT_EQ(shot.pixel(2, 2) | 0xFF000000u, 0xFFFFFFFFu);
    EXPECT_EQ(shot.pixel(5, 200) | 0xFF000000u, 0xFFC0C0C0u);
    EXPECT_EQ(shot.pixel(580 - 9, 200) | 0xFF000000u, 0xFFC0C0C0u);
    EXPECT_EQ(shot.pixel(300, 410 - 9) | 0xFF000000u, 0xFFC0C0C0u);
    EXPECT_EQ(shot.pixel(300, 43) | 0xFF000000u, 0xFFC0C0C0u);
}

TEST_F(PrizeListTabTest, AddAppendsWithTheNextNumberAndIndexWithoutNotice) {
    for (int n : {0, 3}) {
        SCOPED_TRACE(n);
        SetUp();
        ids_.clear();
        MakePage(n);
        AnswerDialogWith(QStringLiteral(" 新奖 "), "4", "2");
        QTest::mouseClick(tab_->Button(PrizeListTab::kAdd), Qt::LeftButton);
        ASSERT_EQ(List()->topLevelItemCount(), n + 1);
        QTreeWidgetItem* row = List()->topLevelItem(n);
        EXPECT_EQ(row->text(0), QString::number(n + 1));
        EXPECT_EQ(row->text(1), QStringLiteral("新奖"));
        EXPECT_EQ(row->text(5), QStringLiteral("默认"));
        const Prize* p = data_->FindPrize(PrizeListTab::RowId(row));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->index, n);
        EXPECT_EQ(p->count, 4);
        EXPECT_EQ(p->batch, 2);
        EXPECT_EQ(owner_->prizesChanged, 0);
        EXPECT_EQ(fake_.execTitles.back(), QStringLiteral("添加奖项"));
    }
    // Cancelled: nothing added.
    fake_.onExec = nullptr;
    tab_->Add();
    EXPECT_EQ(List()->topLevelItemCount(), 4);
    EXPECT_EQ(data_->Prizes().size(), 4u);
}

TEST_F(PrizeListTabTest, DeleteRemovesSelectedRenumbersAndDropsTheirWinners) {
    MakePage(5);
    for (int i = 0; i < 5; ++i) {
        auto w = std::make_unique<Winner>();
        w->prize = ids_[size_t(i)];
        w->candidate = i;
        w->show = QStringLiteral("W%1").arg(i);
        data_->AddWinner(std::move(w));
    }
    // Nothing selected: the hint, nothing asked.
    List()->clearSelection();
    tab_->Delete();
    EXPECT_EQ(fake_.MessageTexts(), QStringList({"你想删除哪一项呢? 请先选中它。"}));
    // The question says how many; No keeps everything.
    Select({1, 3});
    fake_.answers.push_back(Ui::Answer::No);
    tab_->Delete();
    ASSERT_EQ(fake_.messages.size(), 2u);
    EXPECT_EQ(fake_.messages[1].text, QStringLiteral("你确信要删除这 2 个奖项吗？"));
    EXPECT_EQ(fake_.messages[1].buttons, Ui::Buttons::YesNo);
    EXPECT_EQ(fake_.messages[1].icon, Ui::Icon::Question);
    EXPECT_EQ(List()->topLevelItemCount(), 5);
    EXPECT_EQ(owner_->prizesChanged, 0);

    fake_.answers.push_back(Ui::Answer::Yes);
    QTest::mouseClick(tab_->Button(PrizeListTab::kDelete), Qt::LeftButton);
    EXPECT_EQ(Column(0), QStringList({"1", "2", "3"}));
    EXPECT_EQ(Column(1), QStringList({"P1", "P3", "P5"}));
    EXPECT_EQ(IndexOf("P1"), 0);
    EXPECT_EQ(IndexOf("P3"), 1);
    EXPECT_EQ(IndexOf("P5"), 2);
    EXPECT_EQ(data_->FindPrize(ids_[1]), nullptr);
    EXPECT_EQ(data_->FindPrize(ids_[3]), nullptr);
    EXPECT_EQ(owner_->prizesChanged, 1);
    EXPECT_EQ(data_->TotalWinners(), 3u);
    EXPECT_EQ(data_->WinnerCount(ids_[1]), 0);
    EXPECT_EQ(data_->WinnerCount(ids_[3]), 0);
    EXPECT_EQ(data_->WinnerCount(ids_[4]), 1);
}

TEST_F(PrizeListTabTest, MovesKeepTheSelectionAndTheIndexInStep) {
    struct Case {
        const char* what;
        bool up;
        std::initializer_list<int> selected;
        QStringList order;
        std::vector<int> selectedAfter;
    };
    const Case cases[] = {
        {"two rows up", true, {1, 2}, {"P2", "P3", "P1", "P4", "P5"}, {0, 1}},
        {"first alone up", true, {0}, {"P1", "P2", "P3", "P4", "P5"}, {0}},
        {"block at the top up", true, {0, 1}, {"P1", "P2", "P3", "P4", "P5"}, {0, 1}},
        {"apart up", true, {1, 3}, {"P2", "P1", "P4", "P3", "P5"}, {0, 2}},
        {"two rows down", false, {2, 3}, {"P1", "P2", "P5", "P3", "P4"}, {3, 4}},
        {"last alone down", false, {4}, {"P1", "P2", "P3", "P4", "P5"}, {4}},
        {"block at the bottom down", false, {3, 4}, {"P1", "P2", "P3", "P4", "P5"}, {3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ids_.clear();
        MakePage(5);
        Select(c.selected);
        QTest::mouseClick(tab_->Button(c.up ? PrizeListTab::kMoveUp : PrizeListTab::kMoveDown),
                          Qt::LeftButton);
        EXPECT_EQ(Column(1), c.order);
        EXPECT_EQ(Column(0), QStringList({"1", "2", "3", "4", "5"}));
        EXPECT_EQ(SelectedRows(), c.selectedAfter);
        for (int r = 0; r < 5; ++r) {
            const QTreeWidgetItem* row = List()->topLevelItem(r);
            const Prize* p = data_->FindPrize(PrizeListTab::RowId(row));
            ASSERT_NE(p, nullptr);
            EXPECT_EQ(p->name, row->text(1));
            EXPECT_EQ(p->index, r);
            EXPECT_EQ(QString::number(p->count), row->text(3));
        }
        EXPECT_EQ(owner_->prizesChanged, 0);
    }
}

TEST_F(PrizeListTabTest, ModifyEditsTheFirstSelectedRowAndNotifies) {
    MakePage(3);
    data_->FindPrize(ids_[1])->image = QStringLiteral("/pics/car.png");
    // Nothing selected: the button hints, a double click says nothing.
    List()->clearSelection();
    tab_->Modify(false);
    tab_->Modify(true);
    EXPECT_EQ(fake_.MessageTexts(), QStringList({"你想修改哪一项呢? 请先选中它。"}));
    EXPECT_TRUE(fake_.execTitles.empty());

    Select({1, 2});
    PrizeDialog::Values seen;
    fake_.onExec = [&](QDialog& d) {
        auto& dialog = static_cast<PrizeDialog&>(d);
        seen = {dialog.NameBox()->text(),
                dialog.ContentBox()->text(),
                dialog.CountBox()->text().toInt(),
                dialog.BatchBox()->text().toInt(),
                dialog.PathBox()->text(),
                {},
                Prize::kRepeatGlobal};
        return int(QDialog::Rejected);
    };
    QTest::mouseClick(tab_->Button(PrizeListTab::kModify), Qt::LeftButton);
    EXPECT_EQ(fake_.execTitles.back(), QStringLiteral("修改奖项"));
    EXPECT_EQ(seen.name, QStringLiteral("P2"));
    EXPECT_EQ(seen.content, QStringLiteral("C2"));
    EXPECT_EQ(seen.count, 2);
    EXPECT_EQ(seen.image, QStringLiteral("/pics/car.png"));
    EXPECT_EQ(owner_->prizesChanged, 0);  // cancelled

    AnswerDialogWith(QStringLiteral("大奖"), "9", "3");
    tab_->Modify(false);
    const QTreeWidgetItem* row = List()->topLevelItem(1);
    EXPECT_EQ(row->text(0), QStringLiteral("2"));
    EXPECT_EQ(row->text(1), QStringLiteral("大奖"));
    EXPECT_EQ(row->text(3), QStringLiteral("9"));
    EXPECT_EQ(row->text(5), QStringLiteral("car.png"));
    const Prize* p = data_->FindPrize(ids_[1]);
    EXPECT_EQ(p->name, QStringLiteral("大奖"));
    EXPECT_EQ(p->count, 9);
    EXPECT_EQ(p->batch, 3);
    EXPECT_EQ(p->index, 1);
    EXPECT_EQ(owner_->prizesChanged, 1);
}

TEST_F(PrizeListTabTest, DoubleClickOpensTheRowAndEmptySpaceStaysSilent) {
    MakePage(2);
    QWidget* viewport = List()->viewport();
    const QRect second = List()->visualItemRect(List()->topLevelItem(1));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, second.center());
    ASSERT_EQ(fake_.execTitles.size(), 1u);
    EXPECT_EQ(fake_.execTitles[0], QStringLiteral("修改奖项"));

    const QPoint empty(second.center().x(), viewport->height() - 5);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, empty);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, empty);
    EXPECT_EQ(fake_.execTitles.size(), 1u);
    EXPECT_TRUE(fake_.messages.empty());
}

}  // namespace
