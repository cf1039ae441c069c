#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

#include "app/AppFolders.h"
#include "app/AppShowHost.h"
#include "app/MainWindow.h"
#include "controls/Banner.h"
#include "controls/ControlBar.h"
#include "controls/TabStrip.h"
#include "draw/DrawEngine.h"
#include "draw/RoundState.h"
#include "model/AppData.h"
#include "model/AtomicFileWriter.h"
#include "model/Prize.h"
#include "model/Winner.h"
#include "setup/PrizeDialog.h"
#include "setup/PrizeListTab.h"
#include "setup/WinnerListTab.h"
#include "stage/ShowWindow.h"
#include "support/FakeUi.h"
#include "support/TestFolder.h"
#include "ui/Notices.h"

namespace {

void Press(QWidget& w, int key) {
    const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QString();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&w, &release);
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_.reset();
        data_.reset();
        dir_ = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(dir_->isValid());
        root_ = dir_->path() + "/";
        data_ = std::make_unique<AppData>(root_);
        data_->ClearPrizes();
    }

    // The validation wants the music file to exist; this one is no music at all.
    void AddMusic() {
        QDir().mkpath(root_ + "music");
        QFile music(root_ + "music/default.mp3");
        ASSERT_TRUE(music.open(QIODevice::WriteOnly));
        music.write("not an mp3");
    }
    void AddCandidates(int n) {
        for (int i = 1; i <= n; ++i)
            data_->AddCandidate(QString::number(100 + i), QStringLiteral("员工%1").arg(i), "", "",
                                i);
    }
    MainWindow& Open() {
        window_ = std::make_unique<MainWindow>(*data_);
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        return *window_;
    }
    int VisiblePage() const {
        int shown = -1;
        for (int i = 0; i < MainWindow::kPageCount; ++i)
            if (window_->PageAt(i)->isVisible()) {
                if (shown >= 0) return -2;  // more than one
                shown = i;
            }
        return shown;
    }

    FakeUi fake_;
    std::unique_ptr<QTemporaryDir> dir_;
    QString root_;
    std::unique_ptr<AppData> data_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(MainWindowTest, BuildsTheWindowWithItsChildrenInPlace) {
    MainWindow& w = Open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vantoria 1.0.19"));
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_EQ(w.frameGeometry().size(), QSize(780, 560));
    const int W = w.width();
    const int H = w.height();
    EXPECT_EQ(w.TheBanner()->geometry(), QRect(0, 0, W, 90));
    EXPECT_EQ(w.Strip()->geometry(), QRect(0, 90, 200, H - 150));
    EXPECT_EQ(w.Bar()->geometry(), QRect(0, H - 60, W, 60));
    const char* names[] = {"VT_TAB_CANDIDATE_LIST", "VT_TAB_PRIZE_LIST", "VT_TAB_UI",
                           "VT_TAB_WINNER_LIST"};
    for (int i = 0; i < MainWindow::kPageCount; ++i) {
        EXPECT_EQ(w.PageAt(i)->objectName(), QString::fromUtf8(names[i]));
        EXPECT_EQ(w.PageAt(i)->geometry(), QRect(200, 90, W - 200, H - 150));
    }
    EXPECT_EQ(w.Strip()->Captions(),
              QStringList({"抽奖名单", "奖项列表", "界面和规则", "中奖名单"}));
    EXPECT_EQ(w.Bar()->StartButton()->font().family(), w.font().family());
    // Centred on the screen.
    const QRect area = w.screen()->availableGeometry();
    EXPECT_LE(std::abs(w.frameGeometry().center().x() - area.center().x()), 1);
    EXPECT_LE(std::abs(w.frameGeometry().center().y() - area.center().y()), 1);
}

// The window can be made larger (never smaller than it opens): the pages grow with it, and it
// opens at that size next time.
TEST_F(MainWindowTest, ResizedItKeepsItsSizeForNextTime) {
    MainWindow& w = Open();
    const QSize first = w.size();
    EXPECT_EQ(w.minimumSize(), first);
    w.resize(first + QSize(300, 200));
    QApplication::processEvents();
    EXPECT_EQ(w.PageAt(0)->size(), QSize(w.width() - 200, w.height() - 150));
    window_.reset();
    data_->Save(AppData::kSaveData);
    AppData reread(root_);
    EXPECT_EQ(reread.WindowSize(), QSize(1080, 760));
    data_->SetWindowSize(reread.WindowSize());
    MainWindow& again = Open();
    EXPECT_EQ(again.frameGeometry().size(), QSize(1080, 760));
}

TEST_F(MainWindowTest, OpensOnTheStoredTabAndStoresEveryChoice) {
    struct Case {
        int stored;
        int page;
    };
    for (const Case& c : {Case{2, 2}, Case{7, 0}, Case{-1, 0}, Case{0, 0}, Case{3, 3}}) {
        SCOPED_TRACE(c.stored);
        data_->SetTabIndex(c.stored);
        Open();
        EXPECT_EQ(VisiblePage(), c.page);
        EXPECT_EQ(window_->Strip()->SelectedIndex(), c.page);
        EXPECT_EQ(data_->TabIndex(), c.page);
    }
    // A click stores at once.
    QTest::mouseClick(window_->Strip(), Qt::LeftButton, {}, QPoint(100, 48 + 10));
    EXPECT_EQ(VisiblePage(), 1);
    EXPECT_EQ(data_->TabIndex(), 1);
}

TEST_F(MainWindowTest, EscapeDoesNothingHereButStillLeavesTheShow) {
    AddMusic();
    AddCandidates(3);
    data_->AddPrize("一等奖", "电脑", 1, 1, QString(), 0);
    MainWindow& w = Open();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.setResult(42);
    QTest::keyClick(&w, Qt::Key_Escape);
    QTest::keyClick(w.Prizes()->List(), Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.result(), 42);

    bool showLeft = false;
    fake_.onExec = [&](QDialog& d) {
        auto* show = dynamic_cast<ShowWindow*>(&d);
        EXPECT_NE(show, nullptr);
        if (!show) return int(QDialog::Rejected);
        show->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(show));
        QTest::keyClick(show, Qt::Key_Escape);
        showLeft = !show->isVisible();
        return show->result();
    };
    QTest::mouseClick(w.Bar()->StartButton(), Qt::LeftButton);
    EXPECT_TRUE(showLeft);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.result(), 42);
}

TEST_F(MainWindowTest, FailedStartsShowTheirMessageAndThePageToMendIt) {
    struct Case {
        const char* what;
        std::function<void()> make;
        QString text;
        Ui::Icon icon;
        int page;  // from the prize page
    };
    const Case cases[] = {
        {"no candidates", [] {}, "哪些人参加抽奖呢？请先导入或生成抽奖名单。", Ui::Icon::Warning,
         0},
        {"no prizes", [this] { AddCandidates(2); }, "都有哪些奖品呢？请先输入奖项信息。",
         Ui::Icon::Warning, 1},
        {"no music",
         [this] {
             AddCandidates(2);
             data_->AddPrize("一等奖", "", 1, 1, QString(), 0);
         },
         "指定的音乐文件不存在：<root>music/default.mp3", Ui::Icon::Information, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        fake_.messages.clear();
        c.make();
        data_->SetTabIndex(1);
        MainWindow& w = Open();
        QTest::mouseClick(w.Bar()->StartButton(), Qt::LeftButton);
        ASSERT_EQ(fake_.messages.size(), 1u);
        // The folder is new for every case.
        EXPECT_EQ(fake_.messages[0].text, QString(c.text).replace("<root>", root_));
        EXPECT_EQ(fake_.messages[0].icon, c.icon);
        EXPECT_EQ(fake_.messages[0].caption, QStringLiteral("Vantoria"));
        EXPECT_EQ(fake_.messages[0].parent, &w);
        EXPECT_EQ(VisiblePage(), c.page);
        EXPECT_EQ(data_->TabIndex(), c.page);
        EXPECT_TRUE(fake_.execTitles.empty());
    }
}

TEST(DrawFailureTest, EveryCodeHasItsIconAndPage) {
    struct Case {
        int code;
        Ui::Icon icon;
        int tab;
        bool silent;
    };
    const Case cases[] = {
        {-1, Ui::Icon::Warning, 0, false},     {-2, Ui::Icon::Warning, 1, false},
        {-3, Ui::Icon::Warning, -1, false},    {-4, Ui::Icon::Warning, 3, false},
        {-5, Ui::Icon::Information, 0, false}, {-6, Ui::Icon::Information, 0, false},
        {-7, Ui::Icon::Information, 2, false}, {-8, Ui::Icon::None, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const auto f = MainWindow::DescribeDrawFailure(c.code, "%1 x", "姓名 + 部门");
        EXPECT_EQ(f.icon, c.icon);
        EXPECT_EQ(f.tab, c.tab);
        EXPECT_EQ(f.text.isEmpty(), c.silent);
    }
    // The label fills both first places; a detail with place markers stays as it is.
    const auto empty = MainWindow::DescribeDrawFailure(-5, QString(), "手机");
    EXPECT_TRUE(empty.text.startsWith("当前设置的是按 \"手机\"进行抽奖"));
    EXPECT_TRUE(empty.text.contains("在抽奖名单中“手机”列有空数据。"));
    const auto twice = MainWindow::DescribeDrawFailure(-6, "%1 x", "姓名");
    EXPECT_TRUE(twice.text.contains("“姓名”列有重复数据 \"%1 x\"。"));
    EXPECT_EQ(MainWindow::FieldTypeLabel(2), "姓名 + 部门");
}

TEST_F(MainWindowTest, AShowFromTheStartButtonRecordsItsWinners) {
    AddMusic();
    AddCandidates(5);
    const int prize = data_->AddPrize("一等奖", "电脑", 2, 1, QString(), 0);
    MainWindow& w = Open();
    int states[3] = {-1, -1, -1};
    fake_.onExec = [&](QDialog& d) {
        auto& show = static_cast<ShowWindow&>(d);
        show.show();
        QApplication::processEvents();
        for (int& state : states) {
            Press(show, Qt::Key_Space);
            state = w.Engine().Round() ? w.Engine().Round()->state : -1;
        }
        show.reject();
        return show.result();
    };
    QTest::mouseClick(w.Bar()->StartButton(), Qt::LeftButton);
    ASSERT_EQ(fake_.execTitles.size(), 1u);
    EXPECT_EQ(states[0], RoundState::kPrize);
    EXPECT_EQ(states[1], RoundState::kRolling);
    EXPECT_EQ(states[2], RoundState::kWinners);
    EXPECT_EQ(data_->WinnerCount(prize), 2);
    EXPECT_EQ(w.Engine().Round(), nullptr);
    // The round was saved as it was drawn.
    AppData reread(root_);
    EXPECT_EQ(reread.WinnerCount(prize), 2);
}

TEST_F(MainWindowTest, NoticesFromThePagesReachTheModel) {
    Open();
    auto orphan = std::make_unique<Winner>();
    orphan->prize = 999;
    data_->AddWinner(std::move(orphan));
    ASSERT_EQ(data_->TotalWinners(), 1u);
    SendNotice(window_.get(), WM_PRIZES_CHANGED);
    EXPECT_EQ(data_->TotalWinners(), 0u);

    // Candidates without numbers: the draw key moves to the names.
    data_->SetFieldType(0, false);
    data_->AddCandidate("", "张三", "", "", 0);
    data_->AddCandidate("", "李四", "", "", 1);
    SendNotice(window_.get(), WM_CANDIDATES_CHANGED);
    EXPECT_EQ(data_->FieldType(), 1);
}

// 使用说明 and F1 open the guide in the browser; without the guide, or without a browser, the
// operator is told where it is (or that it is missing) instead of nothing happening.
TEST_F(MainWindowTest, TheGuideOpensFromTheBarAndF1) {
    MainWindow& w = Open();
    w.Bar()->GuideButton()->click();
    EXPECT_TRUE(fake_.opened.isEmpty());
    ASSERT_EQ(fake_.MessageTexts().size(), 1);
    EXPECT_TRUE(fake_.MessageTexts()[0].startsWith(QStringLiteral("找不到使用说明")));

    QDir().mkpath(root_ + "guide");
    QFile page(root_ + "guide/index.html");
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html></html>");
    page.close();
    w.Bar()->GuideButton()->click();
    QTest::keyClick(&w, Qt::Key_F1);
    EXPECT_EQ(fake_.opened, QStringList({root_ + "guide/index.html", root_ + "guide/index.html"}));
    EXPECT_EQ(fake_.MessageTexts().size(), 1);

    fake_.openWorks = false;
    w.Bar()->GuideButton()->click();
    ASSERT_EQ(fake_.MessageTexts().size(), 2);
    EXPECT_TRUE(
        fake_.MessageTexts()[1].contains(QDir::toNativeSeparators(root_ + "guide/index.html")));
}

// Installed, the guide is in the documentation folder beside the share folder.
TEST(AppFoldersTest, TheGuideIsFoundBesideTheProgramOrInTheDocumentation) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString share = dir.path() + "/usr/share/vantoria/";
    QDir().mkpath(share);
    EXPECT_EQ(AppFolders::GuidePath(share), QString());
    const QString doc = dir.path() + "/usr/share/doc/vantoria/guide/";
    QDir().mkpath(doc);
    EXPECT_TRUE(QFile(doc + "index.html").open(QIODevice::WriteOnly));
    EXPECT_EQ(AppFolders::GuidePath(share), doc + "index.html");
    QDir().mkpath(share + "guide");
    EXPECT_TRUE(QFile(share + "guide/index.html").open(QIODevice::WriteOnly));
    EXPECT_EQ(AppFolders::GuidePath(share), share + "guide/index.html");
}

TEST_F(MainWindowTest, APrizeAddedJustBeforeQuittingReachesTheDataFile) {
    {
        data_->SetTabIndex(1);
        MainWindow& w = Open();
        fake_.onExec = [](QDialog& d) {
            auto& dialog = static_cast<PrizeDialog&>(d);
            dialog.NameBox()->setText(QStringLiteral("特等奖"));
            dialog.ContentBox()->setText(QStringLiteral("汽车"));
            dialog.CountBox()->setText("3");
            dialog.BatchBox()->setText("3");
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
            return dialog.result();
        };
        QTest::mouseClick(w.Prizes()->Button(PrizeListTab::kAdd), Qt::LeftButton);
        w.setResult(42);
        EXPECT_TRUE(w.close());  // the close box
        EXPECT_EQ(w.result(), 0);
        window_.reset();
        data_.reset();  // writes both files
    }
    ASSERT_TRUE(QFile::exists(root_ + "data.xml"));
    ASSERT_TRUE(QFile::exists(root_ + "cd.xml"));
    AppData reread(root_);
    ASSERT_EQ(reread.Prizes().size(), 1u);
    const Prize& p = *reread.Prizes().begin()->second;
    EXPECT_EQ(p.name, QStringLiteral("特等奖"));
    EXPECT_EQ(p.content, QStringLiteral("汽车"));
    EXPECT_EQ(p.count, 3);
    EXPECT_EQ(p.batch, 3);
    EXPECT_EQ(p.index, 0);
    EXPECT_EQ(reread.TabIndex(), 1);
}

// A rehearsal runs the very show, marks its screens, and leaves the files and the winner page
// exactly as they were.
TEST_F(MainWindowTest, ARehearsalKeepsNothing) {
    AddMusic();
    AddCandidates(8);
    const int prize = data_->AddPrize("一等奖", "电脑", 4, 2, QString(), 0);
    data_->AddWinner(std::make_unique<Winner>(Winner{prize, 1, "员工1", "2026-01-01 20:00:00"}));
    ASSERT_TRUE(data_->Save(AppData::kSaveCandidates | AppData::kSaveData));
    MainWindow& w = Open();
    auto files = [&] {
        QStringList out;
        for (const QString& name : QDir(root_).entryList(QDir::Files, QDir::Name)) {
            QFile f(root_ + name);
            EXPECT_TRUE(f.open(QIODevice::ReadOnly));
            out << name + ":" + QString::fromLatin1(f.readAll().toHex());
        }
        return out;
    };
    auto page = [&] {
        QStringList rows;
        auto* list = static_cast<WinnerListTab*>(w.PageAt(MainWindow::kWinnerPage))->List();
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            rows << list->topLevelItem(i)->text(2) + list->topLevelItem(i)->text(3);
        return rows;
    };
    const QStringList before = files();
    const QStringList rowsBefore = page();
    bool marked = false;
    int drawn = 0;
    fake_.onExec = [&](QDialog& d) {
        auto& show = static_cast<ShowWindow&>(d);
        show.show();
        QApplication::processEvents();
        for (int i = 0; i < 6; ++i) Press(show, Qt::Key_Space);
        marked = w.Engine().Round()->rehearsal;
        drawn = data_->WinnerCount(prize);
        show.reject();
        return show.result();
    };
    QTest::mouseClick(w.Bar()->RehearseButton(), Qt::LeftButton);
    EXPECT_TRUE(marked);
    EXPECT_EQ(drawn, 4);  // the rehearsal drew the rest of the prize
    EXPECT_EQ(data_->WinnerCount(prize), 1);
    EXPECT_FALSE(data_->ReadOnly());
    EXPECT_EQ(files(), before);
    EXPECT_EQ(page(), rowsBefore);
    EXPECT_FALSE(QFile::exists(data_->DrawRecordPath()));
}

// A save that fails during a show is told once, over the show, and stays on the control bar
// until a save succeeds again; the show goes on.
TEST_F(MainWindowTest, AFailedSaveIsToldOnceAndStaysOnTheBar) {
    AddMusic();
    AddCandidates(8);
    const int prize = data_->AddPrize("一等奖", "电脑", 4, 2, QString(), 0);
    TestFolder rescues;
    data_->SetRescueFolder(rescues.Path());
    MainWindow& w = Open();
    EXPECT_TRUE(w.Bar()->Status()->text().startsWith(QStringLiteral("数据文件夹：")));
    size_t toldDuringShow = 0;
    fake_.onExec = [&](QDialog& d) {
        auto& show = static_cast<ShowWindow&>(d);
        show.show();
        QApplication::processEvents();
        AtomicFileWriter::InjectFailure(AtomicFileWriter::Step::Rename, "/data.xml");
        for (int i = 0; i < 6; ++i) {
            Press(show, Qt::Key_Space);
            QApplication::processEvents();  // the queued warning
        }
        toldDuringShow = fake_.messages.size();
        EXPECT_EQ(data_->WinnerCount(prize), 4);  // both rounds drawn all the same
        show.reject();
        return show.result();
    };
    QTest::mouseClick(w.Bar()->StartButton(), Qt::LeftButton);
    AtomicFileWriter::ClearInjectedFailures();
    QStringList warnings;
    for (const QString& t : fake_.MessageTexts())
        if (t.startsWith(QStringLiteral("无法保存"))) warnings << t;
    ASSERT_EQ(warnings.size(), 1) << fake_.MessageTexts().join("|").toStdString();
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("本轮结果已另存到")));
    EXPECT_EQ(toldDuringShow, fake_.messages.size());  // before the show ended
    EXPECT_TRUE(w.Bar()->Status()->text().startsWith(QStringLiteral("无法保存")));
    // The rescue copy holds both rounds.
    const QStringList copies = QDir(rescues.Path()).entryList({"data-rescue-*.xml"});
    ASSERT_EQ(copies.size(), 1);
    AppData rescued{QString(), QString()};
    ASSERT_TRUE(rescued.LoadDataFile(rescues.File(copies[0]), false));
    EXPECT_EQ(rescued.WinnerCount(prize), 4);
    ASSERT_TRUE(data_->Save(AppData::kSaveData));
    EXPECT_TRUE(w.Bar()->Status()->text().startsWith(QStringLiteral("数据文件夹：")));
}

}  // namespace

TEST(AppShowHost, TheShortageQuestionTellsPlacesAndPeopleLeft) {
    EXPECT_EQ(
        AppShowHost::ShortageQuestion(ShowHost::Shortage{8, 5, QString()}),
        QStringLiteral("候选人数不足，本轮抽奖不能全部完成，要继续吗？\n详情：还剩 8 个中奖名额，"
                       "剩余候选人数为 5。规则中不允许重复中奖。"));
}
