#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "draw/DrawEngine.h"
#include "draw/RecordKeeper.h"
#include "draw/RoundState.h"
#include "draw/ShowHost.h"
#include "model/AppData.h"
#include "model/Prize.h"
#include "model/Winner.h"
#include "setup/CelvexLibrary.h"
#include "setup/VerifyReportDialog.h"
#include "setup/WinnerListTab.h"
#include "support/FakeUi.h"

namespace {

using Fields = CelvexLibrary::Fields;

const QString kBuildDir = QStringLiteral(VANTORIA_BUILD_DIR "/");

// One line per row, "a|b|c|d"; null slots shown as "~" so they differ from empty text.
std::string Describe(const std::vector<Fields>& rows) {
    std::string out;
    for (const Fields& row : rows) {
        QStringList cells;
        for (const QString& f : row) cells << (f.isNull() ? QStringLiteral("~") : f);
        out += cells.join(QLatin1Char('|')).toStdString() + "\n";
    }
    return out;
}

class WinnerListTabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        data_.reset();
        candidate_ = 0;
        data_ = std::make_unique<AppData>(Folder());
        data_->ClearPrizes();
        data_->ClearWinners();
        data_->SetTitle(QStringLiteral("2024年会中奖名单"));
    }
    void TearDown() override {
        delete tab_;
        tab_ = nullptr;
    }

    QString Folder() const { return dir_.path() + QLatin1Char('/'); }

    int32_t Prize(const QString& name, int index, int count = 5) {
        return data_->AddPrize(name, name + QStringLiteral("品"), count, 1, QString(), index);
    }
    Winner* Win(int32_t prize, const QString& show) {
        auto w = std::make_unique<Winner>();
        w->prize = prize;
        w->candidate = ++candidate_;
        w->show = show;
        w->time = QStringLiteral("2024-01-01 10:00:%1").arg(candidate_, 2, 10, QLatin1Char('0'));
        Winner* raw = w.get();
        data_->AddWinner(std::move(w));
        return raw;
    }
    // Three prizes whose draw order differs from their id order, seven winners.
    void MakeStandardData() {
        const int32_t second = Prize(QStringLiteral("二等奖"), 1);
        const int32_t first = Prize(QStringLiteral("一等奖"), 0);
        const int32_t third = Prize(QStringLiteral("三等奖"), 2);
        Win(third, QStringLiteral("T1"));
        Win(first, QStringLiteral("F1"));
        Win(second, QStringLiteral("S1"));
        Win(first, QStringLiteral("F2"));
        Win(third, QStringLiteral("T2"));
        Win(second, QStringLiteral("S2"));
        Win(first, QStringLiteral("F3"));
    }
    void MakePage(int width = 580, int height = 410) {
        tab_ = new WinnerListTab(*data_, nullptr);
        tab_->SetBridgeFolder(kBuildDir);
        tab_->resize(width, height);
        tab_->show();
    }

    QTreeWidget* List() const { return tab_->List(); }
    QStringList Column(int c) const {
        QStringList out;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            out << List()->topLevelItem(i)->text(c);
        return out;
    }
    void Select(std::initializer_list<int> rows) {
        List()->clearSelection();
        for (int r : rows) List()->topLevelItem(r)->setSelected(true);
    }
    QStringList ShowsInModel() const {
        std::vector<Winner*> all;
        data_->WinnersInDrawOrder(all);
        QStringList out;
        for (const Winner* w : all) out << w->show;
        return out;
    }
    static QStringList ShowsInFile(const QString& folder) {
        AppData fresh(folder);
        std::vector<Winner*> all;
        fresh.WinnersInDrawOrder(all);
        QStringList out;
        for (const Winner* w : all) out << w->show;
        return out;
    }
    std::vector<Fields> ReadWorkbook(const QString& path) const {
        // Candidate titles never match the exported rows, so every used row comes back.
        const Fields titles = {QStringLiteral("编号"), QStringLiteral("姓名"),
                               QStringLiteral("部门"), QStringLiteral("手机")};
        const auto outcome =
            CelvexLibrary(kBuildDir).Import(CelvexLibrary::ImportKind::Spreadsheet, path, titles);
        EXPECT_TRUE(outcome.loaded);
        EXPECT_TRUE(outcome.success) << "error " << outcome.error;
        return outcome.rows;
    }

    FakeUi fake_;
    QTemporaryDir dir_;
    std::unique_ptr<AppData> data_;
    WinnerListTab* tab_ = nullptr;
    int candidate_ = 0;
};

TEST_F(WinnerListTabTest, ListFollowsDrawOrderHidesOrphansAndCarriesTheRecords) {
    MakeStandardData();
    const int32_t gone = Prize(QStringLiteral("特别奖"), 3);
    Win(gone, QStringLiteral("G1"));
    data_->DeletePrize(gone);  // its winner stays in the model as an orphan
    MakePage();
    EXPECT_EQ(tab_->objectName(), QStringLiteral("VT_TAB_WINNER_LIST"));

    EXPECT_EQ(Column(WinnerListTab::kShow),
              QStringList({"F1", "F2", "F3", "S1", "S2", "T1", "T2"}));
    EXPECT_EQ(Column(WinnerListTab::kPrize).mid(2, 3), QStringList({"一等奖", "二等奖", "二等奖"}));
    EXPECT_EQ(Column(WinnerListTab::kContent).front(), QStringLiteral("一等奖品"));
    EXPECT_EQ(Column(WinnerListTab::kTime).front(), QStringLiteral("2024-01-01 10:00:02"));
    std::vector<Winner*> ordered;
    data_->WinnersInDrawOrder(ordered);
    ASSERT_EQ(size_t(List()->topLevelItemCount()), ordered.size());
    for (int i = 0; i < List()->topLevelItemCount(); ++i)
        EXPECT_EQ(WinnerListTab::RowWinner(List()->topLevelItem(i)), ordered[size_t(i)]);

    // A winner recorded later appears only after a refresh, at its prize's place.
    Win(data_->PrizesInDrawOrder().front()->id, QStringLiteral("F4"));
    EXPECT_EQ(List()->topLevelItemCount(), 7);
    tab_->Refresh();
    EXPECT_EQ(Column(WinnerListTab::kShow),
              QStringList({"F1", "F2", "F3", "F4", "S1", "S2", "T1", "T2"}));
}

TEST_F(WinnerListTabTest, LayoutAndPainting) {
    MakePage(600, 400);
    const QStringList labels = {"导出", "删除", "统计", "验证记录", "结束本场"};
    for (int i = 0; i < WinnerListTab::kButtonCount; ++i) {
        EXPECT_EQ(tab_->Button(i)->text(), labels[i]);
        EXPECT_EQ(tab_->Button(i)->geometry(), QRect(QPoint(8 + 93 * i, 8), QSize(90, 30)));
    }
    // The frame runs from (5, 43) to (W - 8, H - 8) exclusive; the list fills it less 1 px.
    EXPECT_EQ(List()->geometry(), QRect(QPoint(6, 44), QPoint(600 - 10, 400 - 10)));
    const QImage shot = tab_->grab().toImage();
    struct Probe {
        int x, y;
        QRgb rgb;
    };
    const Probe probes[] = {{2, 2, 0xFFFFFFFF},     {300, 41, 0xFFFFFFFF}, {5, 200, 0xFFC0C0C0},
                            {591, 200, 0xFFC0C0C0}, {300, 43, 0xFFC0C0C0}, {300, 391, 0xFFC0C0C0},
                            {595, 395, 0xFFFFFFFF}};
    for (const Probe& p : probes)
        EXPECT_EQ(shot.pixel(p.x, p.y) | 0xFF000000u, p.rgb) << p.x << "," << p.y;
}

TEST_F(WinnerListTabTest, DeleteRemovesExactlyTheSelectedWinnersAndSavesTheFile) {
    MakeStandardData();
    MakePage();
    Select({0, 3, 6});  // F1, S1, T2
    fake_.answers.push_back(Ui::Answer::Yes);
    QTest::mouseClick(tab_->Button(WinnerListTab::kDelete), Qt::LeftButton);

    ASSERT_EQ(fake_.messages.size(), 1u);
    EXPECT_EQ(fake_.messages[0].text, QStringLiteral("确定要删除这 3 条中奖记录吗？"));
    EXPECT_EQ(fake_.messages[0].icon, Ui::Icon::Question);
    EXPECT_EQ(fake_.messages[0].buttons, Ui::Buttons::YesNo);
    const QStringList left = {"F2", "F3", "S2", "T1"};
    EXPECT_EQ(Column(WinnerListTab::kShow), left);
    EXPECT_EQ(ShowsInModel(), left);
    EXPECT_EQ(data_->TotalWinners(), 4u);
    EXPECT_EQ(ShowsInFile(Folder()), left);
    // The rows still point at live records.
    for (int i = 0; i < List()->topLevelItemCount(); ++i)
        EXPECT_EQ(WinnerListTab::RowWinner(List()->topLevelItem(i))->show, left[i]);
}

TEST_F(WinnerListTabTest, DeleteWithoutSelectionOrConfirmationChangesNothing) {
    MakeStandardData();
    MakePage();
    const QStringList all = {"F1", "F2", "F3", "S1", "S2", "T1", "T2"};

    List()->clearSelection();
    tab_->Delete();
    ASSERT_EQ(fake_.messages.size(), 1u);
    EXPECT_EQ(fake_.messages[0].text,
              QStringLiteral("请先从列表中选择要删除的中奖记录.\n\n"
                             "您可以按Ctrl或Shift结合鼠标左键单击选择多个条目，也可以直接按"
                             "Ctrl+A全选"));
    EXPECT_EQ(fake_.messages[0].icon, Ui::Icon::Information);
    EXPECT_EQ(fake_.messages[0].buttons, Ui::Buttons::Ok);

    // Ctrl+A on the list selects every row; the question counts them; No keeps them all.
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(List()->selectedItems().size(), 7);
    fake_.answers.push_back(Ui::Answer::No);
    tab_->Delete();
    ASSERT_EQ(fake_.messages.size(), 2u);
    EXPECT_EQ(fake_.messages[1].text, QStringLiteral("确定要删除这 7 条中奖记录吗？"));
    EXPECT_EQ(Column(WinnerListTab::kShow), all);
    EXPECT_EQ(ShowsInModel(), all);
    EXPECT_FALSE(QFile::exists(data_->DataFilePath()));  // nothing was saved

    fake_.answers.push_back(Ui::Answer::Yes);
    tab_->Delete();
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_EQ(data_->TotalWinners(), 0u);
    EXPECT_TRUE(ShowsInFile(Folder()).isEmpty());
}

// Each case: the model, the name typed in the file dialog, what the workbook must hold.
TEST_F(WinnerListTabTest, ExportWritesTheWorkbookTheImportReadsBack) {
    struct Case {
        const char* label;
        std::function<void()> fill;
        QString typed;
        QString written;
        std::string expected;
    };
    const std::string title = "2024年会中奖名单|||\n奖项|奖品|中奖者|中奖时间\n";
    const Case cases[] = {
        {"no winners", [] {}, QStringLiteral("空.xlsx"), QStringLiteral("空.xlsx"), title},
        {"leading zeros, no extension typed",
         [this] {
             const int32_t p = Prize(QStringLiteral("一等奖"), 0);
             Win(p, QStringLiteral("007"));
             Win(p, QStringLiteral("张三"));
         },
         QStringLiteral("名单"), QStringLiteral("名单.xlsx"),
         title + "一等奖|一等奖品|007|2024-01-01 10:00:01\n"
                 "一等奖|一等奖品|张三|2024-01-01 10:00:02\n"},
        // A winner of a deleted prize is not exported; a record filed under a live prize that
        // names a missing one is a row of empty cells.
        {"orphans",
         [this] {
             const int32_t p = Prize(QStringLiteral("一等奖"), 0);
             const int32_t gone = Prize(QStringLiteral("特别奖"), 1);
             Win(gone, QStringLiteral("G1"));
             data_->DeletePrize(gone);
             auto stray = std::make_unique<Winner>();
             stray->prize = gone;
             stray->show = QStringLiteral("X");
             data_->WinnerVectorOf(p).push_back(std::move(stray));
             Win(p, QStringLiteral("李四"));
         },
         QStringLiteral("orphans.xls"), QStringLiteral("orphans.xls"),
         title + "|||\n一等奖|一等奖品|李四|2024-01-01 10:00:02\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TearDown();
        SetUp();
        fake_.messages.clear();
        fake_.fileRequests.clear();
        c.fill();
        MakePage();
        fake_.fileNames.push_back(Folder() + c.typed);
        fake_.answers.push_back(Ui::Answer::No);
        QTest::mouseClick(tab_->Button(WinnerListTab::kExport), Qt::LeftButton);

        ASSERT_EQ(fake_.fileRequests.size(), 1u);
        const Ui::FileRequest& request = fake_.fileRequests[0];
        EXPECT_TRUE(request.save);
        EXPECT_EQ(request.filter, QStringLiteral("Excel 文件(*.xlsx)|*.xls;*.xlsx||"));
        EXPECT_EQ(request.initialName, QStringLiteral("中奖名单.xlsx"));
        EXPECT_EQ(request.defaultSuffix, QStringLiteral("xlsx"));

        ASSERT_TRUE(QFile::exists(Folder() + c.written));
        EXPECT_EQ(Describe(ReadWorkbook(Folder() + c.written)), c.expected);
        ASSERT_EQ(fake_.messages.size(), 1u);
        EXPECT_EQ(fake_.messages[0].text, QStringLiteral("导出成功！\n您要现在打开该Excel文件吗?"));
        EXPECT_EQ(fake_.messages[0].icon, Ui::Icon::Information);
        EXPECT_EQ(fake_.messages[0].buttons, Ui::Buttons::YesNo);
        EXPECT_TRUE(fake_.opened.isEmpty());
    }
}

TEST_F(WinnerListTabTest, ExportOpensTheFileOnlyWhenAskedTo) {
    MakeStandardData();
    MakePage();
    const QString path = Folder() + QStringLiteral("中奖名单.xlsx");
    fake_.fileNames.push_back(path);
    fake_.answers.push_back(Ui::Answer::Yes);
    tab_->Export();
    EXPECT_EQ(fake_.opened, QStringList({path}));
    EXPECT_EQ(ReadWorkbook(path).size(), 2u + 7u);

    // Cancelling the file dialog stops before anything is written or asked.
    fake_.messages.clear();
    ASSERT_TRUE(QFile::remove(path));
    tab_->Export();
    EXPECT_TRUE(fake_.messages.empty());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(fake_.opened.size(), 1);
}

// A name typed without extension is saved with ".xlsx": when that file exists, the replace
// question comes before it is overwritten; No asks for another name.
TEST_F(WinnerListTabTest, ExportAsksBeforeReplacingTheNameWithItsSuffix) {
    MakeStandardData();
    MakePage();
    const QString existing = Folder() + QStringLiteral("名单.xlsx");
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    const auto existingBytes = [&] {
        QFile file(existing);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    // No, then the dialog is cancelled: the file stays as it was.
    fake_.fileNames = {Folder() + QStringLiteral("名单"), QString()};
    fake_.answers = {Ui::Answer::No};
    tab_->Export();
    ASSERT_EQ(fake_.messages.size(), 1u);
    EXPECT_EQ(fake_.messages[0].text, QStringLiteral("名单.xlsx 已存在。\n要替换它吗？"));
    EXPECT_EQ(fake_.messages[0].buttons, Ui::Buttons::YesNo);
    ASSERT_EQ(fake_.fileRequests.size(), 2u);
    EXPECT_EQ(fake_.fileRequests[1].initialName, QStringLiteral("名单.xlsx"));
    EXPECT_EQ(existingBytes(), QByteArray("keep me"));

    // Yes replaces it; the open question follows.
    fake_.messages.clear();
    fake_.fileNames = {Folder() + QStringLiteral("名单")};
    fake_.answers = {Ui::Answer::Yes, Ui::Answer::No};
    tab_->Export();
    ASSERT_EQ(fake_.messages.size(), 2u);
    EXPECT_EQ(fake_.messages[1].text, QStringLiteral("导出成功！\n您要现在打开该Excel文件吗?"));
    EXPECT_EQ(ReadWorkbook(existing).size(), 2u + 7u);
    EXPECT_FALSE(QFile::exists(Folder() + QStringLiteral("名单")));

    // A name typed with its extension was the file dialog's to ask about.
    fake_.messages.clear();
    fake_.fileNames = {existing};
    fake_.answers = {Ui::Answer::No};
    tab_->Export();
    ASSERT_EQ(fake_.messages.size(), 1u);
    EXPECT_EQ(fake_.messages[0].text, QStringLiteral("导出成功！\n您要现在打开该Excel文件吗?"));
}

TEST_F(WinnerListTabTest, ExportFailuresPromiseNoFile) {
    MakeStandardData();
    MakePage();
    fake_.answerYesByDefault = true;

    // A folder that does not exist: the bridge's failure text, no question, nothing opened.
    fake_.fileNames.push_back(Folder() + QStringLiteral("no/such/folder/a.xlsx"));
    tab_->Export();
    ASSERT_EQ(fake_.messages.size(), 1u);
    EXPECT_EQ(fake_.messages[0].text, QStringLiteral("解析Excel出错"));
    EXPECT_EQ(fake_.messages[0].icon, Ui::Icon::Information);
    EXPECT_EQ(fake_.messages[0].buttons, Ui::Buttons::Ok);
    EXPECT_TRUE(fake_.opened.isEmpty());

    // Without the library nothing visible happens after the file dialog.
    QTemporaryDir empty;
    tab_->SetBridgeFolder(empty.path() + QLatin1Char('/'));
    fake_.messages.clear();
    fake_.fileNames.push_back(Folder() + QStringLiteral("b.xlsx"));
    tab_->Export();
    EXPECT_TRUE(fake_.messages.empty());
    EXPECT_FALSE(QFile::exists(Folder() + QStringLiteral("b.xlsx")));
    EXPECT_TRUE(fake_.opened.isEmpty());
}

// HR's sheet, read back by the library spreadsheet users script with: one column a field, the
// time a real date-time, a voided winner marked, a filter over the header and the header kept
// in view. The designed sheet comes first, unchanged.
TEST_F(WinnerListTabTest, ExportAddsADetailSheetASpreadsheetReadsAsTyped) {
    RecordKeeper keeper(*data_);
    const int32_t prize = Prize(QStringLiteral("一等奖"), 0);
    Candidate* wang =
        data_->AddCandidate(QStringLiteral("0012"), QStringLiteral("王磊"),
                            QStringLiteral("研发中心"), QStringLiteral("13800138000"), 1);
    wang->group = QStringLiteral("正式员工");
    Candidate* li = data_->AddCandidate(QStringLiteral("0013"), QStringLiteral("李娜"),
                                        QStringLiteral("市场部"), QString(), 2);
    for (const Candidate* c : {wang, li})
        data_->AddWinner(std::make_unique<Winner>(
            Winner{prize, c->id, c->name, QStringLiteral("2026-12-24 20:15:0%1").arg(c->index)}));
    data_->RemoveWinner(data_->WinnersOfPrize(prize)->front().get(), AppData::Removal::Voided);
    MakePage();
    const QString path = Folder() + QStringLiteral("中奖名单.xlsx");
    fake_.fileNames.push_back(path);
    fake_.answers.push_back(Ui::Answer::No);
    tab_->Export();
    ASSERT_TRUE(QFile::exists(path));

    const char* script = R"(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
print("|".join(book.sheetnames))
sheet = book[book.sheetnames[-1]]
print(sheet.auto_filter.ref, sheet.freeze_panes)
for row in sheet.iter_rows(values_only=True):
    print("|".join("" if v is None else type(v).__name__ + ":" + str(v) for v in row))
)";
    // Debian's python3, which has openpyxl, not whichever is first on PATH; Windows has none.
    const QString python3 = QStringLiteral("/usr/bin/python3");
    if (!QFileInfo(python3).isExecutable())
        GTEST_SKIP() << "no /usr/bin/python3 (with openpyxl) to read the workbook";
    QProcess python;
    python.start(python3, {QStringLiteral("-c"), script, path});
    ASSERT_TRUE(python.waitForFinished(60000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QStringList lines =
        QString::fromUtf8(python.readAllStandardOutput()).trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Sheet1|明细"));
    EXPECT_EQ(lines[1], QStringLiteral("A1:I3 A2"));
    EXPECT_EQ(lines[2], QStringLiteral("str:奖项|str:奖品|str:工号|str:姓名|str:部门|str:手机|"
                                       "str:分组|str:中奖时间|str:状态"));
    EXPECT_EQ(lines[3], QStringLiteral("str:一等奖|str:一等奖品|str:0012|str:王磊|str:研发中心|"
                                       "str:13800138000|str:正式员工|datetime:2026-12-24 20:15:01|"
                                       "str:作废: 未到场"));
    EXPECT_EQ(lines[4], QStringLiteral("str:一等奖|str:一等奖品|str:0013|str:李娜|str:市场部||"
                                       "|datetime:2026-12-24 20:15:02|str:中奖"));
    // The designed sheet still holds the one standing winner under the title and header.
    EXPECT_EQ(ReadWorkbook(path).size(), 2u + 1u);
}

// With nothing installed to open a workbook the operator is told so and offered the folder.
TEST_F(WinnerListTabTest, ExportOffersTheFolderWhenNoProgramOpensTheFile) {
    MakeStandardData();
    MakePage();
    fake_.openWorks = false;
    const QString path = Folder() + QStringLiteral("中奖名单.xlsx");
    fake_.fileNames.push_back(path);
    fake_.answers = {Ui::Answer::Yes, Ui::Answer::Yes};
    tab_->Export();
    ASSERT_EQ(fake_.messages.size(), 2u);
    EXPECT_EQ(fake_.messages[1].text,
              QStringLiteral("没有可以打开该文件的程序。要打开它所在的文件夹吗？"));
    EXPECT_EQ(fake_.messages[1].buttons, Ui::Buttons::YesNo);
    EXPECT_EQ(fake_.opened, QStringList({QFileInfo(path).absolutePath()}));

    // No leaves it there.
    fake_.messages.clear();
    fake_.opened.clear();
    fake_.fileNames.push_back(path);
    fake_.answers = {Ui::Answer::Yes, Ui::Answer::No};
    tab_->Export();
    EXPECT_EQ(fake_.messages.size(), 2u);
    EXPECT_TRUE(fake_.opened.isEmpty());
}

// Plays the operator: presses on through every round until the finished screen.
class SteppingHost : public ShowHost {
  public:
    explicit SteppingHost(DrawEngine& engine) : engine_(engine) {}
    bool AskToContinue(const Shortage&) override { return true; }
    void RunShow() override {
        for (int guard = 0; guard < 1000; ++guard) {
            if (engine_.Round()->state == RoundState::kFinished) return;
            engine_.AdvanceStep();
        }
    }

  private:
    DrawEngine& engine_;
};

TEST_F(WinnerListTabTest, AFullShowEndsUpOnThePageInDrawOrder) {
    ASSERT_TRUE(QDir(Folder()).mkpath(QStringLiteral("music")));
    QFile music(Folder() + QStringLiteral("music/default.mp3"));
    ASSERT_TRUE(music.open(QIODevice::WriteOnly));
    music.write("ID3");
    music.close();
    for (int i = 0; i < 20; ++i)
        data_->AddCandidate(QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')),
                            QStringLiteral("人%1").arg(i), QStringLiteral("部"), QString(), i);
    Prize(QStringLiteral("二等奖"), 1, 3);
    Prize(QStringLiteral("一等奖"), 0, 2);
    MakePage();
    EXPECT_EQ(List()->topLevelItemCount(), 0);

    DrawEngine engine(*data_);
    SteppingHost host(engine);
    ASSERT_TRUE(engine.StartDraw(host));
    tab_->Refresh();  // what the setup window does when the show closes

    EXPECT_EQ(Column(WinnerListTab::kPrize),
              QStringList({"一等奖", "一等奖", "二等奖", "二等奖", "二等奖"}));
    std::vector<Winner*> recorded;
    data_->WinnersInDrawOrder(recorded);
    ASSERT_EQ(recorded.size(), 5u);
    QSet<int32_t> people;
    for (int i = 0; i < 5; ++i) {
        const Winner* w = recorded[size_t(i)];
        people.insert(w->candidate);
        EXPECT_EQ(WinnerListTab::RowWinner(List()->topLevelItem(i)), w);
        EXPECT_EQ(List()->topLevelItem(i)->text(WinnerListTab::kShow),
                  engine.DrawKeyText(w->candidate));
        EXPECT_FALSE(w->time.isEmpty());
    }
    EXPECT_EQ(people.size(), 5);  // nobody wins twice

    // The record of that show checks out; a name changed behind its back does not.
    QString report;
    fake_.onExec = [&](QDialog& d) {
        report = static_cast<VerifyReportDialog&>(d).Text();
        return 0;
    };
    QTest::mouseClick(tab_->Button(WinnerListTab::kVerify), Qt::LeftButton);
    EXPECT_TRUE(report.startsWith(QStringLiteral("第 1 场"))) << report.toStdString();
    EXPECT_TRUE(report.endsWith(QStringLiteral("全部通过。"))) << report.toStdString();
    recorded[0]->show = QStringLiteral("别人");
    data_->Save(AppData::kSaveData);
    QTest::mouseClick(tab_->Button(WinnerListTab::kVerify), Qt::LeftButton);
    EXPECT_TRUE(report.contains(QStringLiteral("与记录不符"))) << report.toStdString();
}

}  // namespace
