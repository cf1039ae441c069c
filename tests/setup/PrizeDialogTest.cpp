#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "model/AppData.h"
#include "setup/PrizeDialog.h"
#include "setup/ScopeEditor.h"
#include "setup/ScopeValuesModel.h"
#include "support/FakeUi.h"
#include "ui/WidgetUtilities.h"

namespace {

class PrizeDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path() + "/";
        QDir().mkpath(root_ + "example");
        QImage picture(300, 200, QImage::Format_RGB32);
        picture.fill(Qt::red);
        ASSERT_TRUE(picture.save(root_ + "example/def_prize.png"));
        data_ = std::make_unique<AppData>(root_);
    }

    FakeUi fake_;
    QTemporaryDir dir_;
    QString root_;
    std::unique_ptr<AppData> data_;
};

TEST_F(PrizeDialogTest, ValidationRefusesInOrderAndKeepsTheFocusOnTheBox) {
    struct Case {
        const char* name;
        const char* content;
        const char* count;
        const char* batch;
        const char* message;  // null: accepted
        int focus;            // 0 name, 2 count, 3 rounds
    };
    const Case cases[] = {
        {"一等奖", "电脑", "5", "6", "轮数必须在 1 和 中奖人数 之间", 3},
        {"一等奖", "电脑", "5", "5", nullptr, 0},
        {"一等奖", "电脑", "5", "0", "轮数必须在 1 和 中奖人数 之间", 3},
        {"一等奖", "电脑", "5", "", "轮数必须在 1 和 中奖人数 之间", 3},
        {"一等奖", "电脑", "0", "1", "总数至少为 1", 2},
        {"一等奖", "电脑", "", "1", "总数至少为 1", 2},
        {"   ", "电脑", "5", "1", "请输入奖项名称", 0},
        {"", "", "0", "0", "请输入奖项名称", 0},
        {"  特等奖 ", "", "1", "1", nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << "/" << c.count << "/" << c.batch);
        fake_.messages.clear();
        PrizeDialog dialog(*data_, false, PrizeDialog::Values(), nullptr);
        dialog.setResult(-7);
        dialog.NameBox()->setText(QString::fromUtf8(c.name));
        dialog.ContentBox()->setText(QString::fromUtf8(c.content));
        dialog.CountBox()->setText(QString::fromUtf8(c.count));
        dialog.BatchBox()->setText(QString::fromUtf8(c.batch));
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        if (!c.message) {
            EXPECT_TRUE(fake_.messages.empty());
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(dialog.Result().name, QString::fromUtf8(c.name).trimmed());
            EXPECT_EQ(dialog.Result().count, QString::fromUtf8(c.count).toInt());
            continue;
        }
        ASSERT_EQ(fake_.messages.size(), 1u);
        EXPECT_EQ(fake_.messages[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(fake_.messages[0].caption, QStringLiteral("Vantoria"));
        EXPECT_EQ(fake_.messages[0].icon, Ui::Icon::Information);
        EXPECT_EQ(dialog.result(), -7);  // still open
        QLineEdit* boxes[] = {dialog.NameBox(), dialog.ContentBox(), dialog.CountBox(),
                              dialog.BatchBox()};
        EXPECT_EQ(dialog.focusWidget(), boxes[c.focus]);
    }
}

TEST_F(PrizeDialogTest, NumberBoxesTakeDigitsOnlyAndTheNameAtMost259) {
    PrizeDialog dialog(*data_, false, PrizeDialog::Values(), nullptr);
    for (QLineEdit* box : {dialog.CountBox(), dialog.BatchBox()}) {
        box->clear();
        QTest::keyClicks(box, QStringLiteral("1a-2 3"));
        EXPECT_EQ(box->text(), QStringLiteral("123"));
    }
    dialog.NameBox()->setText(QString(300, QLatin1Char('x')));
    EXPECT_EQ(dialog.NameBox()->text().size(), PrizeDialog::kMaxNameLength);
}

TEST_F(PrizeDialogTest, ModeSetsTitleAndButtonAndAnUnreadablePictureKeepsItsPath) {
    PrizeDialog add(*data_, false, PrizeDialog::Values(), nullptr);
    EXPECT_EQ(add.windowTitle(), QStringLiteral("添加奖项"));
    EXPECT_EQ(add.OkButton()->text(), QStringLiteral("添加"));
    EXPECT_EQ(add.focusWidget(), add.NameBox());
    EXPECT_EQ(add.PathBox()->text(), QStringLiteral("默认奖品图"));
    EXPECT_EQ(add.Preview().size(), QSize(300, 200));

    PrizeDialog edit(*data_, true,
                     {"二等奖", "手机", 7, 2, root_ + "missing.png", {}, Prize::kRepeatGlobal},
                     nullptr);
    EXPECT_EQ(edit.windowTitle(), QStringLiteral("修改奖项"));
    EXPECT_EQ(edit.OkButton()->text(), QStringLiteral("保存"));
    EXPECT_EQ(edit.CountBox()->text(), QStringLiteral("7"));
    EXPECT_EQ(edit.PathBox()->text(), root_ + "missing.png");
    EXPECT_TRUE(edit.Preview().isNull());
    QTest::mouseClick(edit.OkButton(), Qt::LeftButton);
    EXPECT_EQ(edit.result(), QDialog::Accepted);
    EXPECT_EQ(edit.Result().image, root_ + "missing.png");
}

TEST_F(PrizeDialogTest, BrowseAndDefaultChangeThePicture) {
    QImage small(40, 20, QImage::Format_RGB32);
    small.fill(Qt::blue);
    ASSERT_TRUE(small.save(root_ + "small.bmp"));
    PrizeDialog dialog(*data_, false, PrizeDialog::Values(), nullptr);

    fake_.fileNames.push_back(QString());  // cancelled: nothing changes
    QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.PathBox()->text(), QStringLiteral("默认奖品图"));
    ASSERT_EQ(fake_.fileRequests.size(), 1u);
    EXPECT_FALSE(fake_.fileRequests[0].save);
    EXPECT_EQ(fake_.fileRequests[0].filter,
              QStringLiteral("图片文件（jpg;jpeg;png;gif;bmp）|*.jpg;*.jpeg;*.png;*.gif;*.bmp||"));

    fake_.fileNames.push_back(root_ + "small.bmp");
    QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.PathBox()->text(), root_ + "small.bmp");
    EXPECT_EQ(dialog.Preview().size(), QSize(40, 20));
    // Drawn at its own size in the middle of the frame.
    const QImage shot = dialog.grab().toImage();
    const QRect at = PrizeDialog::FitPicture(dialog.PreviewRect(), QSize(40, 20));
    EXPECT_EQ(at.size(), QSize(40, 20));
    EXPECT_EQ(shot.pixel(at.center()) | 0xFF000000u, 0xFF0000FFu);
    EXPECT_EQ(shot.pixel(at.left() - 2, at.center().y()) | 0xFF000000u, 0xFFFFFFFFu);

    QTest::mouseClick(dialog.DefaultButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.PathBox()->text(), QStringLiteral("默认奖品图"));
    EXPECT_EQ(dialog.Preview().size(), QSize(300, 200));
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.Result().image, QString());
}

TEST(PrizeDialogFitTest, ShrinksToTheFrameKeepingProportionsNeverEnlarges) {
    const QRect frame(100, 50, 300, 100);  // L 100, T 50, R 400, B 150
    struct Case {
        QSize picture;
        QRect expected;
    };
    const Case cases[] = {
        {{40, 20}, {230, 90, 40, 20}},      // smaller: own size, centred
        {{300, 100}, {100, 50, 300, 100}},  // exactly the frame
        {{600, 100}, {100, 75, 300, 50}},   // too wide: width bound
        {{100, 400}, {237, 50, 25, 100}},   // too tall: height bound
        {{300, 101}, {101, 50, 297, 100}},  // one pixel too tall: height bound
        {{0, 0}, {100, 50, 0, 0}},          // nothing decoded: nothing drawn
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width() << "x" << c.picture.height());
        EXPECT_EQ(PrizeDialog::FitPicture(frame, c.picture), c.expected);
    }
}

TEST(DialogUnitsTest, NeighboursThatTouchInDialogUnitsTouchInPixels) {
    QWidget w;
    const double s = DialogUnitScale(&w);
    const QRect path = DialogUnitsToPixels(&w, 79, 91, 157, 14);
    const QRect browse = DialogUnitsToPixels(&w, 236, 91, 15, 14);
    EXPECT_EQ(path.left(), qRound(79 * 1.5 * s));
    EXPECT_EQ(path.bottom() + 1, qRound(105 * 1.625 * s));
    EXPECT_EQ(path.right() + 1, browse.left());
}

// The rule of a prize is picked from the values the candidates hold, never typed; a scope the
// operator leaves alone comes back exactly as it was, values this program does not know kept.
TEST_F(PrizeDialogTest, TheRuleIsPickedFromThePresentValuesAndKeptWhenUntouched) {
    for (const char* d : {"研发部", "研发部", "市场部", "董事会办公室"})
        data_->AddCandidate("", "", QString::fromUtf8(d), "", 0);
    data_->Candidates().back()->excluded = true;  // the board does not take part
    PrizeDialog::Values seed{"新人奖", "", 2, 1, QString(), {}, Prize::kRepeatGlobal};
    {
        PrizeDialog dialog(*data_, false, seed, nullptr);
        ScopeEditor& scope = *dialog.Scope();
        scope.ModeBox()->setCurrentIndex(ScopeEditor::kOnly);
        ScopeValuesModel& values = *scope.Values();
        ASSERT_EQ(values.rowCount(), 2);  // 市场部, 研发部: nobody left out is offered
        EXPECT_EQ(values.index(1).data().toString(), QStringLiteral("研发部（2 人）"));
        values.setData(values.index(1), Qt::Checked, Qt::CheckStateRole);
        EXPECT_EQ(scope.CountLabel()->text(), QStringLiteral("范围内 2 人"));
        scope.RepeatBox()->setCurrentIndex(ScopeEditor::kRepeatAllowed);
        dialog.accept();
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.Result().scope.field, QStringLiteral("department"));
        EXPECT_EQ(dialog.Result().scope.mode, QStringLiteral("only"));
        EXPECT_EQ(dialog.Result().scope.values, QStringList({"研发部"}));
        EXPECT_EQ(dialog.Result().repeat, 1);
    }
    {
        // Only with nothing ticked is refused, with a hint.
        PrizeDialog dialog(*data_, false, seed, nullptr);
        dialog.Scope()->ModeBox()->setCurrentIndex(ScopeEditor::kExcept);
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(fake_.MessageTexts().back(),
                  QStringLiteral("请在抽奖范围中勾选至少一个部门或分组。"));
    }
    {
        seed.scope = PrizeScope{"city", "only", {"上海"}};
        PrizeDialog dialog(*data_, true, seed, nullptr);
        EXPECT_EQ(dialog.Scope()->ModeBox()->currentIndex(), ScopeEditor::kEveryone);
        dialog.accept();
        EXPECT_EQ(dialog.Result().scope.field, QStringLiteral("city"));
        EXPECT_EQ(dialog.Result().scope.values, QStringList({"上海"}));
    }
}

// 100,000 distinct groups: the list is filled and filtered without building a widget a value.
TEST_F(PrizeDialogTest, AHundredThousandGroupsStayFilterable) {
    for (int i = 0; i < 100000; ++i)
        data_->AddCandidate("", "", "", "", i)->group = QStringLiteral("组%1").arg(i);
    PrizeDialog::Values seed{"奖", "", 1, 1, QString(), {}, Prize::kRepeatGlobal};
    PrizeDialog dialog(*data_, false, seed, nullptr);
    ScopeEditor& scope = *dialog.Scope();
    scope.ModeBox()->setCurrentIndex(ScopeEditor::kOnly);
    scope.FieldBox()->setCurrentIndex(ScopeEditor::kGroup);
    EXPECT_EQ(scope.Values()->rowCount(), 100000);
    scope.FilterBox()->setText(QStringLiteral("组9999"));
    EXPECT_EQ(scope.ValueList()->model()->rowCount(), 11);  // 组9999 and 组99990..组99999
}

}  // namespace
