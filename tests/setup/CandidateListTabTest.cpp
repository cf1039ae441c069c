#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>
#include <memory>
#include <vector>

#include "model/AppData.h"
#include "model/Candidate.h"
#include "model/CheckInLog.h"
#include "model/Winner.h"
#include "setup/CandidateEditDialog.h"
#include "setup/CandidateFilter.h"
#include "setup/CandidateListModel.h"
#include "setup/CandidateListTab.h"
#include "setup/GenerateNumbersDialog.h"
#include "setup/ImportPreview.h"
#include "setup/ImportPreviewDialog.h"
#include "support/FakeUi.h"
#include "support/TestFolder.h"
#include "ui/Notices.h"

namespace {

// Stands in for the setup window and records which notices arrived.
class NoticeRecorder : public QWidget {
  public:
    std::vector<int> notices;

  protected:
    bool event(QEvent* e) override {
        if (const int n = NoticeEvent::NumberOf(e)) {
            notices.push_back(n);
            return true;
        }
        return QWidget::event(e);
    }
};

class CandidateListTabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        data_ = std::make_unique<AppData>(folder_.Path());
        data_->ClearCandidates();
        owner_.resize(700, 480);
        owner_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner_));
    }

    void MakePage(int existing) {
        for (int i = 0; i < existing; ++i)
            data_->AddCandidate(QStringLiteral("N%1").arg(i), QStringLiteral("P%1").arg(i),
                                QString(), QString(), i);
        tab_ = new CandidateListTab(*data_, &owner_);
        tab_->setGeometry(0, 0, 700, 480);
        tab_->SetBridgeFolder(QStringLiteral(VANTORIA_BUILD_DIR "/"));
        tab_->show();
    }

    QString Cell(int row, int column) const {
        const CandidateListModel* m = tab_->Model();
        return m->data(m->index(row, column)).toString();
    }
    QStringList Column(int column) const {
        QStringList out;
        for (int r = 0; r < tab_->Model()->rowCount(); ++r) out << Cell(r, column);
        return out;
    }
    bool CandidateFileWritten() const { return QFile::exists(data_->CandidateFilePath()); }
    size_t CandidatesOnDisk() const {
        data_->Save(0);  // nothing; the fresh instance below reads what was written
        AppData fresh(folder_.Path());
        return fresh.Candidates().size();
    }

    // The operator looks at the preview, may change it, and presses 导入 (or 取消).
    void AnswerPreview(bool import, std::function<void(ImportPreviewDialog&)> edit = {}) {
        fake_.onExec = [=](QDialog& d) {
            auto* dialog = dynamic_cast<ImportPreviewDialog*>(&d);
            EXPECT_NE(dialog, nullptr);
            if (!dialog) return int(QDialog::Rejected);
            if (edit) edit(*dialog);
            QTest::mouseClick(import ? dialog->ImportButton() : dialog->CancelButton(),
                              Qt::LeftButton);
            return dialog->result();
        };
    }

    void ImportText(const QByteArray& content, const QString& name = QStringLiteral("list.txt")) {
        folder_.Write(name, content);
        fake_.fileNames.push_back(folder_.File(name));
        if (!fake_.onExec) AnswerPreview(true);
        tab_->Import(CelvexLibrary::ImportKind::Text);
    }

    // The operator types into the generator and presses one of its buttons.
    void AnswerGenerator(const QString& start, const QString& total, const QString& prefix,
                         const QString& suffix, bool ok) {
        fake_.onExec = [=](QDialog& d) {
            auto& dialog = static_cast<GenerateNumbersDialog&>(d);
            dialog.StartEdit()->setText(start);
            dialog.TotalEdit()->setText(total);
            dialog.PrefixEdit()->setText(prefix);
            dialog.SuffixEdit()->setText(suffix);
            QTest::mouseClick(ok ? dialog.OkButton() : dialog.CancelButton(), Qt::LeftButton);
            return dialog.result();
        };
    }

    FakeUi fake_;
    TestFolder folder_;
    std::unique_ptr<AppData> data_;
    NoticeRecorder owner_;
    CandidateListTab* tab_ = nullptr;
};

TEST_F(CandidateListTabTest, LayoutColumnsMenuAndPainting) {
    MakePage(3);
    EXPECT_EQ(tab_->objectName(), QStringLiteral("VT_TAB_CANDIDATE_LIST"));
    const QStringList labels = {"导入名单", "生成编号", "清空"};
    for (int i = 0; i < CandidateListTab::kButtonCount; ++i) {
        EXPECT_EQ(tab_->Button(i)->text(), labels[i]);
        EXPECT_EQ(tab_->Button(i)->geometry(), QRect(8 + 93 * i, 8, 90, 30));
    }
    EXPECT_EQ(tab_->List()->geometry(), QRect(QPoint(6, 44), QPoint(700 - 10, 480 - 10)));
    // The filter stands right of the buttons, the count right of the filter.
    EXPECT_EQ(tab_->FilterBox()->geometry(), QRect(8 + 93 * 3 + 4, 11, 120, 24));
    EXPECT_EQ(tab_->CountArea(), QRect(QPoint(8 + 93 * 3 + 4 + 120 + 8, 8), QPoint(700 - 9, 37)));
    EXPECT_EQ(tab_->CountText(), QStringLiteral("共: 3"));

    struct Col {
        const char* title;
        int width;
        Qt::Alignment align;
    };
    const Col cols[] = {{"", 40, Qt::AlignLeft},
                        {"编号", 90, Qt::AlignHCenter},
                        {"姓名", 130, Qt::AlignHCenter},
                        {"部门", 140, Qt::AlignHCenter},
                        {"手机", 130, Qt::AlignHCenter},
                        {"分组", 100, Qt::AlignHCenter},
                        {"参与抽奖", 70, Qt::AlignHCenter},
                        {"签到", 90, Qt::AlignHCenter}};
    const CandidateListModel* m = tab_->Model();
    ASSERT_EQ(m->columnCount(), 8);
    for (int c = 0; c < 8; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(m->headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(cols[c].title));
        EXPECT_EQ(tab_->List()->header()->sectionSize(c), cols[c].width);
        const auto align = Qt::Alignment(m->data(m->index(0, c), Qt::TextAlignmentRole).toInt());
        EXPECT_EQ(align & Qt::AlignHorizontal_Mask, cols[c].align);
    }
    EXPECT_EQ(Column(0), QStringList({"1", "2", "3"}));
    EXPECT_EQ(Column(1), QStringList({"N0", "N1", "N2"}));
    EXPECT_EQ(Column(2), QStringList({"P0", "P1", "P2"}));
    EXPECT_FALSE(tab_->List()->isSortingEnabled());
    EXPECT_EQ(tab_->List()->selectionBehavior(), QAbstractItemView::SelectRows);

    QStringList entries;
    for (QAction* a : tab_->ImportMenu()->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(entries, QStringList({"查看导入文件示例", "-", "从Excel文件导入", "从文本文件导入"}));

    // White page, grey frame one pixel outside the list, black count text at the right.
    const QImage shot = tab_->grab().toImage();
    EXPECT_EQ(shot.pixel(2, 2) | 0xFF000000u, 0xFFFFFFFFu);
    EXPECT_EQ(shot.pixel(5, 200) | 0xFF000000u, 0xFFC0C0C0u);
    EXPECT_EQ(shot.pixel(700 - 9, 200) | 0xFF000000u, 0xFFC0C0C0u);
    EXPECT_EQ(shot.pixel(300, 43) | 0xFF000000u, 0xFFC0C0C0u);
    EXPECT_EQ(shot.pixel(300, 480 - 9) | 0xFF000000u, 0xFFC0C0C0u);
    bool darkAtRight = false, darkAtLeft = false;
    const QRect area = tab_->CountArea();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(shot.pixel(x, y)) < 100)
                (x > area.center().x() ? darkAtRight : darkAtLeft) = true;
    EXPECT_TRUE(darkAtRight);
    EXPECT_FALSE(darkAtLeft);
}

TEST_F(CandidateListTabTest, TextImportAppendsNumberedRowsSavesAndNotifies) {
    MakePage(10);
    ImportText(
        "编号,姓名,部门,手机\nA1,张三,销售,13900000001\n"
        "A2,李四,研发,13900000002\nA3,王五,财务,13900000003\n");
    EXPECT_TRUE(fake_.messages.empty());
    ASSERT_EQ(fake_.fileRequests.size(), 1u);
    EXPECT_EQ(fake_.fileRequests[0].filter,
              QStringLiteral("文本文件(*.txt, *.csv, *.tsv)|*.txt;*.csv;*.tsv||"));
    EXPECT_EQ(fake_.execTitles, std::vector<QString>({QStringLiteral("导入预览")}));
    ASSERT_EQ(tab_->Model()->rowCount(), 13);
    EXPECT_EQ(Column(0).mid(10), QStringList({"11", "12", "13"}));
    EXPECT_EQ(Column(1).mid(10), QStringList({"A1", "A2", "A3"}));
    EXPECT_EQ(Column(2).mid(10), QStringList({"张三", "李四", "王五"}));
    EXPECT_EQ(Column(3).mid(10), QStringList({"销售", "研发", "财务"}));
    EXPECT_EQ(Column(4).last(), QStringLiteral("13900000003"));
    EXPECT_EQ(data_->Candidates()[10]->index, 10);
    EXPECT_EQ(data_->Candidates()[12]->index, 12);
    EXPECT_EQ(tab_->CountText(), QStringLiteral("共: 13"));
    EXPECT_EQ(owner_.notices, std::vector<int>({WM_CANDIDATES_CHANGED}));
    EXPECT_EQ(CandidatesOnDisk(), 13u);
}

TEST_F(CandidateListTabTest, ImportSkipsRowsWithFourEmptyFields) {
    struct Case {
        const char* name;
        QByteArray file;
        QStringList numbers;
    };
    const Case cases[] = {
        {"mixed", "编号,姓名,部门,手机\nA,,,\n,,,\n,,,\nB,x,,\n,,,9\n", {"A", "B", ""}},
        {"only empty rows", "编号,姓名,部门,手机\n,,,\n,,,\n", {}},
        {"title only", "编号,姓名,部门,手机\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        owner_.notices.clear();
        data_->ClearCandidates();
        QFile::remove(data_->CandidateFilePath());
        delete tab_;
        MakePage(0);
        ImportText(c.file);
        EXPECT_EQ(Column(1), c.numbers);
        EXPECT_TRUE(CandidateFileWritten());
        EXPECT_EQ(owner_.notices, std::vector<int>({WM_CANDIDATES_CHANGED}));
    }
}

TEST_F(CandidateListTabTest, FailedImportsChangeNothingButStillSaveAndNotify) {
    MakePage(2);
    // A file that is no workbook: the bridge's error text, information icon.
    fake_.fileNames.push_back(QStringLiteral(VANTORIA_TEST_DATA "/import/not_a_workbook.xlsx"));
    tab_->Import(CelvexLibrary::ImportKind::Spreadsheet);
    ASSERT_EQ(fake_.fileRequests.size(), 1u);
    EXPECT_EQ(fake_.fileRequests[0].filter,
              QStringLiteral("Excel 文件(*.xls, *.xlsx)|*.xls;*.xlsx|CSV 文件(*.csv)|*.csv||"));
    ASSERT_EQ(fake_.messages.size(), 1u);
    EXPECT_EQ(fake_.messages[0].text, QStringLiteral("解析Excel出错"));
    EXPECT_EQ(fake_.messages[0].icon, Ui::Icon::Information);
    EXPECT_EQ(tab_->Model()->rowCount(), 2);
    EXPECT_TRUE(CandidateFileWritten());
    EXPECT_EQ(owner_.notices, std::vector<int>({WM_CANDIDATES_CHANGED}));

    // No bridge library in the folder: silent, yet saved and announced.
    QFile::remove(data_->CandidateFilePath());
    TestFolder empty;
    tab_->SetBridgeFolder(empty.Path());
    ImportText("A,B,C,D\n");
    EXPECT_EQ(fake_.messages.size(), 1u);
    EXPECT_EQ(tab_->Model()->rowCount(), 2);
    EXPECT_TRUE(CandidateFileWritten());
    EXPECT_EQ(owner_.notices.size(), 2u);

    // A text file that cannot be read is not called a damaged Excel file.
    tab_->SetBridgeFolder(QStringLiteral(VANTORIA_BUILD_DIR "/"));
    fake_.messages.clear();
    fake_.fileNames.push_back(folder_.File("missing.csv"));
    tab_->Import(CelvexLibrary::ImportKind::Text);
    ASSERT_EQ(fake_.messages.size(), 1u);
    EXPECT_EQ(fake_.messages[0].text, QStringLiteral("读取文本文件出错"));
    EXPECT_EQ(owner_.notices.size(), 3u);

    // Cancelling the file dialog does nothing at all.
    QFile::remove(data_->CandidateFilePath());
    tab_->Import(CelvexLibrary::ImportKind::Text);
    EXPECT_FALSE(CandidateFileWritten());
    EXPECT_EQ(owner_.notices.size(), 3u);
    EXPECT_TRUE(fake_.execTitles.empty());  // no preview for a failed reading
}

// 取消 in the preview leaves the candidates, the candidate file and the other pages alone.
TEST_F(CandidateListTabTest, CancelledPreviewChangesNothing) {
    MakePage(2);
    data_->Save(AppData::kSaveCandidates);
    const QByteArray before = folder_.Read(QFileInfo(data_->CandidateFilePath()).fileName());
    AnswerPreview(false);
    ImportText("编号,姓名\nA1,张三\nA2,李四\n");
    EXPECT_EQ(fake_.execTitles.size(), 1u);
    EXPECT_EQ(tab_->Model()->rowCount(), 2);
    EXPECT_EQ(data_->Candidates().size(), 2u);
    EXPECT_EQ(folder_.Read(QFileInfo(data_->CandidateFilePath()).fileName()), before);
    EXPECT_TRUE(owner_.notices.empty());
}

// What the preview shows after the operator changed the map is exactly what is imported.
TEST_F(CandidateListTabTest, PreviewEditsTheMapAndImportsWhatItShows) {
    MakePage(1);
    QStringList shown;
    AnswerPreview(true, [&](ImportPreviewDialog& dialog) {
        // 工号 and 姓名 were found; 部门 is taken from 备注 and 手机 is dropped.
        QComboBox* department = dialog.ColumnBox(2);
        EXPECT_EQ(department->currentIndex(), 0);  // "（无）": no department column
        department->setCurrentIndex(department->findData(3));
        QComboBox* mobile = dialog.ColumnBox(3);
        mobile->setCurrentIndex(0);
        for (int i = 0; i < dialog.RowList()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = dialog.RowList()->topLevelItem(i);
            shown << QStringList{item->text(1), item->text(2), item->text(3), item->text(4)}.join(
                u'|');
        }
    });
    ImportText("名单\n工号,姓名,手机,备注\nA1,张三,138,研发\n,,139,\nA3,王五,,\n");
    EXPECT_EQ(shown, QStringList({"A1|张三|研发|", "A3|王五||"}));
    ASSERT_EQ(tab_->Model()->rowCount(), 3);
    EXPECT_EQ(Column(1).mid(1), QStringList({"A1", "A3"}));
    EXPECT_EQ(Column(3).mid(1), QStringList({"研发", ""}));
    EXPECT_EQ(Column(4).mid(1), QStringList({"", ""}));
    EXPECT_EQ(owner_.notices, std::vector<int>({WM_CANDIDATES_CHANGED}));
    EXPECT_EQ(CandidatesOnDisk(), 3u);
}

// A CSV file chosen from the spreadsheet entry is read as text, quotes and all.
TEST_F(CandidateListTabTest, CsvFromTheSpreadsheetEntryIsReadAsText) {
    MakePage(0);
    folder_.Write("list.csv", "编号,姓名,部门\n1,\"张\"\"三\"\"\",\"研发部,一组\"\n");
    fake_.fileNames.push_back(folder_.File("list.csv"));
    AnswerPreview(true);
    tab_->Import(CelvexLibrary::ImportKind::Spreadsheet);
    EXPECT_TRUE(fake_.messages.empty());
    EXPECT_EQ(Column(2), QStringList({"张\"三\""}));
    EXPECT_EQ(Column(3), QStringList({"研发部,一组"}));
}

TEST_F(CandidateListTabTest, ClearAsksAndRemovesCandidatesWithTheirWinners) {
    MakePage(0);
    tab_->Clear();  // empty list: no question
    EXPECT_TRUE(fake_.messages.empty());
    EXPECT_TRUE(owner_.notices.empty());

    delete tab_;
    MakePage(4);
    const int prize = data_->AddPrize("P", "", 1, 1, QString(), 0);
    data_->AddWinner(std::make_unique<Winner>(
        Winner{prize, data_->Candidates()[0]->id, "N0", "2026-01-01 10:00:00"}));

    fake_.answers.push_back(Ui::Answer::No);
    tab_->Clear();
    ASSERT_EQ(fake_.messages.size(), 1u);
    EXPECT_EQ(
        fake_.messages[0].text,
        QStringLiteral("如果已经开始抽奖，清空抽奖名单将同步删除相关的中奖名单。\n确定要清空吗？"));
    EXPECT_EQ(fake_.messages[0].icon, Ui::Icon::Question);
    EXPECT_EQ(fake_.messages[0].buttons, Ui::Buttons::YesNo);
    EXPECT_EQ(tab_->Model()->rowCount(), 4);
    EXPECT_EQ(data_->TotalWinners(), 1u);
    EXPECT_TRUE(owner_.notices.empty());

    fake_.answers.push_back(Ui::Answer::Yes);
    tab_->Clear();
    EXPECT_EQ(tab_->Model()->rowCount(), 0);
    EXPECT_TRUE(data_->Candidates().empty());
    EXPECT_EQ(data_->TotalWinners(), 0u);
    EXPECT_EQ(tab_->CountText(), QStringLiteral("共: 0"));
    EXPECT_EQ(owner_.notices, std::vector<int>({WM_REFRESH_WINNERS}));
    EXPECT_TRUE(QFile::exists(data_->DataFilePath()));
    EXPECT_EQ(CandidatesOnDisk(), 0u);

    // Numbering starts again at 1.
    ImportText("X,,,\nY,,,\n");
    EXPECT_EQ(Column(0), QStringList({"1", "2"}));
    EXPECT_EQ(data_->Candidates()[0]->index, 0);
}

TEST_F(CandidateListTabTest, GenerateAppendsNumbersAndStoresTheSettings) {
    MakePage(2);
    AnswerGenerator("1", "5", " K", "", true);
    tab_->GenerateNumbers();
    ASSERT_EQ(tab_->Model()->rowCount(), 7);
    EXPECT_EQ(Column(0).mid(2), QStringList({"3", "4", "5", "6", "7"}));
    EXPECT_EQ(Column(1).mid(2), QStringList({"K1", "K2", "K3", "K4", "K5"}));
    for (int c = 2; c <= 4; ++c) EXPECT_EQ(Column(c).mid(2), QStringList(5, QString()));
    EXPECT_EQ(data_->Candidates()[6]->index, 6);
    EXPECT_EQ(data_->GenNumberList().Total, 5);
    EXPECT_EQ(data_->GenNumberList().Prefix, QStringLiteral("K"));
    EXPECT_EQ(owner_.notices, std::vector<int>({WM_CANDIDATES_CHANGED}));
    EXPECT_EQ(CandidatesOnDisk(), 7u);

    // Total 0: nothing added, settings kept, file saved, no notice.
    QFile::remove(data_->CandidateFilePath());
    AnswerGenerator("40", "0", "Z", "z", true);
    tab_->GenerateNumbers();
    EXPECT_EQ(tab_->Model()->rowCount(), 7);
    EXPECT_EQ(data_->GenNumberList().Start, 40);
    EXPECT_EQ(data_->GenNumberList().Total, 0);
    EXPECT_EQ(data_->GenNumberList().Suffix, QStringLiteral("z"));
    EXPECT_TRUE(CandidateFileWritten());
    EXPECT_EQ(owner_.notices.size(), 1u);

    // Cancel after editing leaves everything as it was.
    QFile::remove(data_->CandidateFilePath());
    AnswerGenerator("9", "9", "Q", "q", false);
    tab_->GenerateNumbers();
    EXPECT_EQ(data_->GenNumberList().Start, 40);
    EXPECT_EQ(data_->GenNumberList().Prefix, QStringLiteral("Z"));
    EXPECT_EQ(tab_->Model()->rowCount(), 7);
    EXPECT_FALSE(CandidateFileWritten());
    EXPECT_EQ(owner_.notices.size(), 1u);
    EXPECT_EQ(fake_.execTitles, std::vector<QString>(3, QStringLiteral("生成编号")));
}

TEST_F(CandidateListTabTest, AddImportedRowsIsOneInsertionAndShowsTheLastRow) {
    MakePage(1);
    int inserts = 0;
    QObject::connect(tab_->Model(), &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int last) {
                         ++inserts;
                         EXPECT_EQ(first, 1);
                         EXPECT_EQ(last, 300);
                     });
    std::vector<CelvexLibrary::Fields> rows;
    for (int i = 0; i < 301; ++i)
        rows.push_back(i == 150 ? CelvexLibrary::Fields{}
                                : CelvexLibrary::Fields{QString::number(i), "n", "d", "t"});
    EXPECT_EQ(tab_->AddImportedRows(rows), 300);
    EXPECT_EQ(inserts, 1);
    EXPECT_EQ(tab_->AddImportedRows({CelvexLibrary::Fields{}}), 0);
    EXPECT_EQ(inserts, 1);
    QCoreApplication::processEvents();
    const QTreeView* view = tab_->List();
    const QModelIndex last = view->model()->index(300, 0);
    EXPECT_TRUE(view->viewport()->rect().intersects(view->visualRect(last)));
}

TEST_F(CandidateListTabTest, ExamplesRunModallyFromTheMenu) {
    MakePage(0);
    tab_->ShowExamples();
    EXPECT_EQ(fake_.execTitles, std::vector<QString>({QStringLiteral("导入文件示例")}));
}

// Marking people as not taking part: from the selection, saved at once, counted, listed
// apart by the filter, and undone the same way.
TEST_F(CandidateListTabTest, PeopleAreLeftOutOfTheDrawFromTheSelection) {
    MakePage(5);
    QItemSelectionModel* selection = tab_->List()->selectionModel();
    for (int row : {1, 3})
        selection->select(tab_->List()->model()->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    tab_->SetSelectedExcluded(true);
    EXPECT_EQ(tab_->CountText(), QStringLiteral("共: 5  参加抽奖: 3"));
    EXPECT_EQ(Column(CandidateListModel::kTakesPart),
              QStringList({"参与", "不参与", "参与", "不参与", "参与"}));
    {
        AppData onDisk(folder_.Path());
        onDisk.SetReadOnly(true);
        ASSERT_EQ(onDisk.Candidates().size(), 5u);
        EXPECT_TRUE(onDisk.Candidates()[1]->excluded);
        EXPECT_FALSE(onDisk.Candidates()[2]->excluded);
    }
    tab_->FilterBox()->setCurrentIndex(CandidateFilter::kExcludedOnly);
    ASSERT_EQ(tab_->List()->model()->rowCount(), 2);
    EXPECT_EQ(tab_->List()->model()->index(1, CandidateListModel::kName).data().toString(), "P3");
    // Back in, through the filtered list.
    selection->clearSelection();
    selection->select(tab_->List()->model()->index(0, 0),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(tab_->SelectedRows(), std::vector<int>{1});
    tab_->SetSelectedExcluded(false);
    EXPECT_EQ(tab_->List()->model()->rowCount(), 1);
    EXPECT_EQ(tab_->CountText(), QStringLiteral("共: 5  参加抽奖: 4"));
}

// Check-in by hand: the column and the filters follow the file beside data.xml; clearing all
// asks first and does nothing on 否.
TEST_F(CandidateListTabTest, CheckingInByHandShowsInTheColumnAndTheFiltersAndClearingAsks) {
    MakePage(4);
    data_->CheckIn().enabled = true;
    QItemSelectionModel* selection = tab_->List()->selectionModel();
    for (int row : {0, 2})
        selection->select(tab_->List()->model()->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    tab_->SetSelectedCheckedIn(true);
    const QStringList column = Column(CandidateListModel::kCheckedIn);
    EXPECT_TRUE(column[0].startsWith(QStringLiteral("已签到 "))) << column[0].toStdString();
    EXPECT_TRUE(column[1].isEmpty());
    EXPECT_TRUE(column[2].startsWith(QStringLiteral("已签到 ")));
    EXPECT_EQ(tab_->CountText(), QStringLiteral("共: 4  已签到: 2"));
    EXPECT_EQ(CheckInLog(data_->CheckInLogPath()).Count(), 2u);  // on disk at once

    tab_->FilterBox()->setCurrentIndex(CandidateFilter::kNotCheckedIn);
    ASSERT_EQ(tab_->List()->model()->rowCount(), 2);
    EXPECT_EQ(tab_->List()->model()->index(0, CandidateListModel::kName).data().toString(), "P1");
    tab_->FilterBox()->setCurrentIndex(CandidateFilter::kCheckedInOnly);
    ASSERT_EQ(tab_->List()->model()->rowCount(), 2);
    selection->clearSelection();
    selection->select(tab_->List()->model()->index(1, 0),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    tab_->SetSelectedCheckedIn(false);  // undone through the filtered list
    EXPECT_EQ(tab_->List()->model()->rowCount(), 1);

    fake_.answers.push_back(Ui::Answer::No);
    tab_->ClearCheckIns();
    EXPECT_EQ(data_->CheckIns().Count(), 1u);
    fake_.answers.push_back(Ui::Answer::Yes);
    tab_->ClearCheckIns();
    EXPECT_EQ(data_->CheckIns().Count(), 0u);
    EXPECT_EQ(tab_->List()->model()->rowCount(), 0);
    EXPECT_EQ(CheckInLog(data_->CheckInLogPath()).Count(), 0u);
}

// 替换名单: with winners on the list it asks first and changes nothing on 否; on 是 the file's
// people take the list's place, the winner still on it stays, the other is deleted.
TEST_F(CandidateListTabTest, ReplacingTheListAsksAndKeepsTheWinnersStillOnIt) {
    MakePage(3);
    data_->SetFieldType(1, true);  // by name
    const int32_t prize = data_->AddPrize("一等奖", "", 2, 1, "", 0);
    for (int i : {0, 2}) {
        const Candidate* c = data_->Candidates()[size_t(i)].get();
        data_->AddWinner(std::make_unique<Winner>(
            Winner{prize, c->id, c->name, QStringLiteral("2026-12-24 20:00:00")}));
    }
    const int32_t keptId = data_->Candidates()[0]->id;
    auto replace = [](ImportPreviewDialog& d) {
        EXPECT_TRUE(d.AppendButton()->isChecked());  // 追加 unless chosen otherwise
        d.ReplaceButton()->click();
    };
    const QByteArray file = "编号,姓名\nX1,P0\nX2,新人\n";
    fake_.answers.push_back(Ui::Answer::No);
    AnswerPreview(true, replace);
    ImportText(file);
    ASSERT_EQ(fake_.messages.size(), 1u);
    EXPECT_TRUE(fake_.messages[0].text.contains(
        QStringLiteral("已中奖的 2 人中，1 人仍在新名单中（按“姓名”核对），保留中奖记录；其余 1 "
                       "人的中奖记录将被删除。")))
        << fake_.messages[0].text.toStdString();
    EXPECT_EQ(tab_->Model()->rowCount(), 3);
    EXPECT_EQ(data_->TotalWinners(), 2u);

    fake_.answers.push_back(Ui::Answer::Yes);
    AnswerPreview(true, replace);
    ImportText(file);
    EXPECT_EQ(Column(2), QStringList({"P0", "新人"}));
    EXPECT_EQ(Column(1), QStringList({"X1", "X2"}));
    ASSERT_EQ(data_->TotalWinners(), 1u);
    EXPECT_EQ(data_->WinnersOfPrize(prize)->front()->candidate, keptId);
    EXPECT_EQ(data_->FindCandidate(keptId)->NO, QStringLiteral("X1"));
    EXPECT_EQ(CandidatesOnDisk(), 2u);
    EXPECT_EQ(AppData(folder_.Path()).TotalWinners(), 1u);
    EXPECT_NE(std::find(owner_.notices.begin(), owner_.notices.end(), WM_REFRESH_WINNERS),
              owner_.notices.end());
}

// A row is mended in place (F2, or double-click): a draw key made empty or equal to another
// row's is told and the dialog stays open with what was typed; what passes is kept and saved.
TEST_F(CandidateListTabTest, ARowIsEditedWithTheChecksOfAnImport) {
    MakePage(3);
    data_->SetFieldType(1, true);  // by name
    QStringList told;
    fake_.onExec = [&](QDialog& d) {
        auto* dialog = dynamic_cast<CandidateEditDialog*>(&d);
        EXPECT_NE(dialog, nullptr);
        if (!dialog) return int(QDialog::Rejected);
        EXPECT_EQ(dialog->Edit(CandidateEditDialog::kName)->text(), QStringLiteral("P0"));
        for (const char* name : {"", "P1", " 王磊 "}) {
            dialog->Edit(CandidateEditDialog::kName)->setText(QString::fromUtf8(name));
            dialog->Edit(CandidateEditDialog::kDepartment)->setText(QStringLiteral("研发中心"));
            QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        }
        told = fake_.MessageTexts();
        return dialog->result();
    };
    QTreeView* list = tab_->findChild<QTreeView*>();
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(list->model()->index(0, 0));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_F2);
    EXPECT_EQ(fake_.execTitles, std::vector<QString>({QStringLiteral("修改候选人")}));
    EXPECT_EQ(told, QStringList({QStringLiteral("按“姓名”抽奖，这一项不能为空。"),
                                 QStringLiteral("按“姓名”抽奖，“P1”与第 2 行重复。")}));
    EXPECT_EQ(Cell(0, 2), QStringLiteral("王磊"));
    EXPECT_EQ(Cell(0, 3), QStringLiteral("研发中心"));
    EXPECT_EQ(AppData(folder_.Path()).Candidates()[0]->name, QStringLiteral("王磊"));
    EXPECT_EQ(owner_.notices, std::vector<int>({WM_CANDIDATES_CHANGED}));

    // Cancelled, nothing changes and nothing is said.
    fake_.onExec = [](QDialog&) { return int(QDialog::Rejected); };
    tab_->EditRow(1);
    EXPECT_EQ(Cell(1, 2), QStringLiteral("P1"));
    EXPECT_EQ(owner_.notices.size(), 1u);
}

}  // namespace
