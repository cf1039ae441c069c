#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "celvex.h"
#include "model/AppData.h"
#include "setup/ImportPreview.h"
#include "setup/ImportPreviewDialog.h"
#include "support/FakeUi.h"
#include "support/TestFolder.h"

namespace {

using Table = CelvexLibrary::TableOutcome;
using Problem = ImportPreview::Problem;

// A table as the bridge hands it over: rows of texts (empty texts are no cells), lines 1, 2...
Table MakeTable(const std::vector<QStringList>& rows, int headerRow, std::array<int, 4> columns) {
    Table table;
    table.loaded = table.success = true;
    table.headerRow = headerRow;
    table.columns = columns;
    for (size_t r = 0; r < rows.size(); ++r) {
        Table::Row row{int(r) + 1, table.cells.size(), 0};
        for (int c = 0; c < rows[r].size(); ++c)
            if (!rows[r][c].isEmpty()) table.cells.push_back({c, rows[r][c]});
        row.cellCount = table.cells.size() - row.firstCell;
        table.rows.push_back(row);
    }
    return table;
}

QStringList Joined(const std::vector<ImportPreview::Fields>& rows) {
    QStringList out;
    for (const auto& f : rows) out << QStringList{f[0], f[1], f[2], f[3]}.join(u'|');
    return out;
}

class ImportPreviewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        data_ = std::make_unique<AppData>(folder_.Path());
        data_->ClearCandidates();
    }
    void Present(const QString& no, const QString& name) {
        data_->AddCandidate(no, name, QString(), QString(), int(data_->Candidates().size()));
    }

    FakeUi fake_;
    TestFolder folder_;
    std::unique_ptr<AppData> data_;
};

TEST_F(ImportPreviewTest, RowsUnderTheHeaderThroughTheMap) {
    const Table table = MakeTable({{"2026 年会抽奖名单"},
                                   {"序号", "员工姓名", "工号", "备注"},
                                   {"1", "张三", "E1", "x"},
                                   {"2", "", "", "y"},
                                   {},
                                   {"3", "李四", "E3"}},
                                  1, {2, 1, -1, -1});
    ImportPreview preview(table, *data_);
    EXPECT_TRUE(preview.HasHeader());
    EXPECT_EQ(preview.HeaderLine(), 2);
    EXPECT_EQ(preview.RowsAboveHeader(), 1);
    // The row holding only a remark and the empty one are left out.
    EXPECT_EQ(Joined(preview.Rows()), QStringList({"E1|张三||", "E3|李四||"}));
    EXPECT_EQ(preview.Lines(), std::vector<int>({3, 6}));
    EXPECT_EQ(preview.EmptyRows(), 2);

    // Every column is offered under its header name.
    QStringList labels;
    for (const auto& choice : preview.Choices()) labels << choice.label;
    EXPECT_EQ(labels, QStringList({"序号（第1列）", "员工姓名（第2列）", "工号（第3列）",
                                   "备注（第4列）"}));

    // Taking the department from the remarks brings the second row in; no name drops none.
    preview.SetColumn(2, 3);
    EXPECT_EQ(Joined(preview.Rows()), QStringList({"E1|张三|x|", "||y|", "E3|李四||"}));
    EXPECT_EQ(preview.EmptyRows(), 1);
    preview.SetColumn(1, -1);
    EXPECT_EQ(Joined(preview.Rows()), QStringList({"E1||x|", "||y|", "E3|||"}));
}

TEST_F(ImportPreviewTest, WithoutHeaderColumnsAreNamedBySample) {
    ImportPreview preview(MakeTable({{"A1", "张三"}, {"A2", "李四"}}, -1, {0, 1, 2, 3}), *data_);
    EXPECT_FALSE(preview.HasHeader());
    EXPECT_EQ(preview.HeaderLine(), 0);
    ASSERT_EQ(preview.Choices().size(), 2u);
    EXPECT_EQ(preview.Choices()[1].label, QStringLiteral("第2列（张三）"));
    // Columns holding nothing in this file map to none.
    EXPECT_EQ(preview.Column(0), 0);
    EXPECT_EQ(preview.Column(2), -1);
    EXPECT_EQ(preview.Column(3), -1);
    EXPECT_EQ(Joined(preview.Rows()), QStringList({"A1|张三||", "A2|李四||"}));
}

// Empty keys, keys repeated within the file and keys already present, under the draw key.
TEST_F(ImportPreviewTest, FlagsEmptyAndRepeatedDrawKeys) {
    Present("P1", "老王");
    data_->SetFieldType(1, true);  // by name, chosen by the operator
    const Table table = MakeTable({{"编号", "姓名"},
                                   {"1", "张三"},
                                   {"2", " 老王 "},
                                   {"3", "张三"},
                                   {"4", ""},
                                   {"5", "李四"},
                                   {"6", "张三 "}},
                                  0, {0, 1, -1, -1});
    ImportPreview preview(table, *data_);
    EXPECT_EQ(preview.KeyField(), 1);
    EXPECT_EQ(preview.Count(Problem::EmptyKey), 1);
    EXPECT_EQ(preview.Count(Problem::RepeatedInFile), 2);
    EXPECT_EQ(preview.Count(Problem::AlreadyPresent), 1);
    std::vector<std::tuple<int, Problem, int>> flags;
    for (const auto& f : preview.Flags())
        flags.emplace_back(preview.Lines()[f.row], f.problem, f.firstLine);
    EXPECT_EQ(flags, (std::vector<std::tuple<int, Problem, int>>{{3, Problem::AlreadyPresent, 0},
                                                                 {4, Problem::RepeatedInFile, 2},
                                                                 {5, Problem::EmptyKey, 0},
                                                                 {7, Problem::RepeatedInFile, 2}}));

    // Checked by number instead, nothing is wrong.
    data_->SetFieldType(0, true);
    ImportPreview byNumber(table, *data_);
    EXPECT_TRUE(byNumber.Flags().empty());
}

// When nobody would have a key of the current kind and the operator did not choose it, the
// setup window picks another after the import: the preview checks that one.
TEST_F(ImportPreviewTest, ChecksTheDrawKeyInForceAfterTheImport) {
    const Table names =
        MakeTable({{"姓名", "部门"}, {"张三", "a"}, {"李四", "b"}}, 0, {-1, 0, 1, -1});
    data_->SetFieldType(0, false);
    ImportPreview automatic(names, *data_);
    EXPECT_EQ(automatic.KeyField(), 1);
    EXPECT_TRUE(automatic.Flags().empty());

    data_->SetFieldType(0, true);
    ImportPreview byHand(names, *data_);
    EXPECT_EQ(byHand.KeyField(), 0);
    EXPECT_EQ(byHand.Count(Problem::EmptyKey), 2);

    // A present candidate with a number keeps the number as the key.
    data_->SetFieldType(0, false);
    Present("P1", QString());
    ImportPreview kept(names, *data_);
    EXPECT_EQ(kept.KeyField(), 0);
    EXPECT_EQ(kept.Count(Problem::EmptyKey), 2);
    EXPECT_EQ(ImportPreview::KeyText({"1", "张三", "研发", "138"}, 2), QStringLiteral("张三 研发"));
}

TEST_F(ImportPreviewTest, DialogShowsAndEditsTheMap) {
    std::vector<QStringList> rows = {{"工号", "姓名", "备注"}};
    for (int i = 0; i < 60; ++i)
        rows.push_back({QStringLiteral("E%1").arg(i),
                        i == 5 ? QString() : QStringLiteral("N%1").arg(i % 58),
                        QStringLiteral("r%1").arg(i)});
    rows.push_back({});
    Table table = MakeTable(rows, 0, {0, 1, -1, -1});
    table.encoding = CELVEX_ENCODING_UTF8;
    table.replaced = 2;
    data_->SetFieldType(1, true);
    ImportPreview preview(table, *data_);
    ImportPreviewDialog dialog(preview, QStringLiteral("/tmp/名单.csv"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("导入预览"));
    EXPECT_EQ(dialog.ImportButton()->text(), QStringLiteral("导入"));
    EXPECT_EQ(dialog.CancelButton()->text(), QStringLiteral("取消"));
    EXPECT_EQ(dialog.HeaderLabel()->text(), QStringLiteral("表头在第 1 行。"));
    const auto* encoding = dialog.findChild<QLabel*>(QStringLiteral("encoding"));
    ASSERT_NE(encoding, nullptr);
    EXPECT_TRUE(encoding->text().contains(QStringLiteral("UTF-8")));
    EXPECT_TRUE(encoding->text().contains(QStringLiteral("2 个")));

    const QStringList slotTexts = {
        dialog.ColumnBox(0)->currentText(), dialog.ColumnBox(1)->currentText(),
        dialog.ColumnBox(2)->currentText(), dialog.ColumnBox(3)->currentText()};
    EXPECT_EQ(slotTexts, QStringList({"工号（第1列）", "姓名（第2列）", "（无）", "（无）"}));
    EXPECT_EQ(dialog.RowList()->topLevelItemCount(), ImportPreviewDialog::kShownRows);
    EXPECT_EQ(dialog.RowList()->topLevelItem(0)->text(0), QStringLiteral("2"));
    EXPECT_EQ(dialog.SummaryLabel()->text(),
              QStringLiteral("将导入 60 行，跳过 1 个空行。上表列出前 50 行。"));
    // One empty name, two names given twice (N0 and N1 come back as the 59th and 60th).
    EXPECT_EQ(dialog.KeyLabel()->text(),
              QStringLiteral("抽奖依据“姓名”：1 行为空，2 行在文件中重复，0 行与已有名单重复。"
                             "抽奖前需要改正。"));
    EXPECT_EQ(dialog.FlagList()->topLevelItemCount(), 3);
    EXPECT_EQ(dialog.FlagList()->topLevelItem(1)->text(2), QStringLiteral("与第 2 行重复"));

    // The remarks as names: every key is different and present, the list of flags empties.
    dialog.ColumnBox(1)->setCurrentIndex(dialog.ColumnBox(1)->findData(2));
    EXPECT_EQ(preview.Column(1), 2);
    EXPECT_EQ(dialog.RowList()->topLevelItem(0)->text(2), QStringLiteral("r0"));
    EXPECT_TRUE(dialog.KeyLabel()->text().contains(QStringLiteral("没有为空或重复的行")));
    EXPECT_EQ(dialog.FlagList()->topLevelItemCount(), 0);

    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), int(QDialog::Rejected));
}

}  // namespace
