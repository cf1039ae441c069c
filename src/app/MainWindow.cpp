#include "app/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include "app/AppFolders.h"
#include "app/AppShowHost.h"
#include "app/EscapeFilter.h"
#include "checkin/CheckInService.h"
#include "controls/Banner.h"
#include "controls/ControlBar.h"
#include "controls/TabStrip.h"
#include "draw/DrawEngine.h"
#include "model/AppData.h"
#include "setup/CandidateListTab.h"
#include "setup/CheckInPanel.h"
#include "setup/PrizeListTab.h"
#include "setup/UiRulesTab.h"
#include "setup/WinnerListTab.h"
#include "ui/Notices.h"
#include "ui/UiFont.h"
#include "ui/WidgetUtilities.h"

namespace {
const QString kVersion = QStringLiteral(VANTORIA_VERSION);
}  // namespace

MainWindow::MainWindow(AppData& data, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      data_(data),
      engine_(std::make_unique<DrawEngine>(data)),
      checkIn_(std::make_unique<CheckInService>(data)),
      banner_(new Banner(this)),
      strip_(new TabStrip(this)),
      bar_(new ControlBar(this)),
      escape_(new EscapeFilter(this)) {
    setObjectName(QStringLiteral("Vantoria"));
    // A round the last run recorded but never saved is voided before anything else is drawn.
    engine_->ReconcileRecord();
    setWindowTitle(QStringLiteral("Vantoria ") + kVersion);
    if (QFile::exists(QStringLiteral(":/icon.png")))
        setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Until the window manager reports its frame the client takes the whole outer size;
    // FitOuterSize takes the frame off once it is known. The operator may make it larger
    // (long entries, long lists) and it opens at that size next time.
    resize(OuterSize());

    pages_[kCandidatePage] = MakeCandidatePage();
    prizeTab_ = new PrizeListTab(data_, this);
    pages_[kPrizePage] = prizeTab_;
    pages_[kUiPage] = MakeUiPage();
    pages_[kWinnerPage] = MakeWinnerPage();
    for (QWidget* page : pages_) page->hide();
    LayOutChildren();
    Centre();

    for (const char16_t* label : {u"抽奖名单", u"奖项列表", u"界面和规则", u"中奖名单"})
        strip_->AddItem(QString::fromUtf16(label));

    const int stored = data_.TabIndex();
    if (stored >= 0 && stored < kPageCount) {
        strip_->Select(stored);
    } else {
        data_.SetTabIndex(0);
        strip_->Select(0);
    }

    SetFontOnAll(this, TheUiFont().Font());

    // Guests arrive before the show: the service runs while the program is open.
    uiTab_->CheckIn()->SetService(checkIn_.get());
    connect(candidateTab_, &CandidateListTab::candidatesChanged, this,
            [this] { checkIn_->RefreshRoster(); });
    auto* checkInRefresh = new QTimer(this);  // a burst of check-ins refreshes the pages once
    checkInRefresh->setSingleShot(true);
    checkInRefresh->setInterval(500);
    connect(checkInRefresh, &QTimer::timeout, this, [this] {
        candidateTab_->CheckInsChanged();
        uiTab_->CheckIn()->ShowCount();
    });
    connect(checkIn_.get(), &CheckInService::checkedIn, this, [checkInRefresh] {
        if (!checkInRefresh->isActive()) checkInRefresh->start();
    });

    bar_->SetDataFolder(data_.DataDir());
    auto* guide = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(guide, &QShortcut::activated, this, &MainWindow::OpenGuide);
    data_.SetSaveReporter([this](const SaveProblem& problem) { SaveFailed(problem); },
                          [this] { bar_->ClearWarning(); });
}

MainWindow::~MainWindow() {
    data_.SetSaveReporter(nullptr, nullptr);
}

QString MainWindow::SaveProblemText(const SaveProblem& problem) {
    const QString file = QDir::toNativeSeparators(problem.file);
    if (problem.file.endsWith(QStringLiteral(".jsonl")))
        return QStringLiteral("无法写入抽奖记录 %1：%2。抽奖继续进行，记录将在下次写入时补上。")
            .arg(file, problem.reason);
    if (problem.rescue.isEmpty())
        return QStringLiteral("无法保存 %1：%2。另存到用户数据文件夹也失败了，请立即检查磁盘。")
            .arg(file, problem.reason);
    return QStringLiteral("无法保存 %1：%2。本轮结果已另存到 %3。")
        .arg(file, problem.reason, QDir::toNativeSeparators(problem.rescue));
}

void MainWindow::SaveFailed(const SaveProblem& problem) {
    const QString text = SaveProblemText(problem);
    bar_->ShowWarning(text);
    if (toldOfSaveFailure_) return;
    toldOfSaveFailure_ = true;
    // Queued, so a round saved during the show is on screen before the box covers it; the box
    // goes over whatever window is in front, the show included.
    QTimer::singleShot(0, this, [text] {
        Ui::Message m;
        m.parent = QApplication::activeModalWidget();
        m.caption = QStringLiteral("Vantoria");
        m.text = text;
        m.icon = Ui::Icon::Warning;
        Ui::ShowMessage(m);
    });
}

QWidget* MainWindow::MakeCandidatePage() {
    candidateTab_ = new CandidateListTab(data_, this);
    return candidateTab_;
}

QWidget* MainWindow::MakeUiPage() {
    uiTab_ = new UiRulesTab(data_, this);
    return uiTab_;
}

QWidget* MainWindow::MakeWinnerPage() {
    winnerTab_ = new WinnerListTab(data_, this);
    return winnerTab_;
}

void MainWindow::RebuildWinnerPage() {
    if (winnerTab_) winnerTab_->Refresh();
}

void MainWindow::SelectDrawKeyOnUiPage(int fieldType) {
    if (uiTab_) uiTab_->SelectDrawKey(fieldType);
}

// The label the rules page shows for the draw key names the column in the messages.
QString MainWindow::DrawKeyLabel() const {
    return uiTab_ ? uiTab_->DrawKeyLabel() : FieldTypeLabel(data_.FieldType());
}

QString MainWindow::FieldTypeLabel(int fieldType) {
    return UiRulesTab::DrawKeyItems().value(fieldType);
}

MainWindow::DrawFailure MainWindow::DescribeDrawFailure(int code, const QString& detail,
                                                        const QString& drawKeyLabel) {
    DrawFailure f;
    switch (code) {
        case DrawEngine::kNoCandidates:
            f = {QStringLiteral("哪些人参加抽奖呢？请先导入或生成抽奖名单。"), Ui::Icon::Warning,
                 kCandidatePage};
            break;
        case DrawEngine::kNoPrizes:
            f = {QStringLiteral("都有哪些奖品呢？请先输入奖项信息。"), Ui::Icon::Warning,
                 kPrizePage};
            break;
        case DrawEngine::kPoolEmpty:
            f = {QStringLiteral("没有足够的候选人开始本轮抽奖！\n原因：所有候选人都已经中奖，"
                                "且抽奖规则中不允许重复中奖。"),
                 Ui::Icon::Warning, -1};
            break;
        case DrawEngine::kAllPrizesDone:
            f = {QStringLiteral("所有的奖项都已经抽取完成！"), Ui::Icon::Warning, kWinnerPage};
            break;
        case DrawEngine::kEmptyDrawKey:
            f = {QStringLiteral("当前设置的是按 \"%1\"进行抽奖，该列内容不能为空且不能重复。\n"
                                "经检查，在抽奖名单中“%2”列有空数据。\n\n"
                                "您可以重新导入或生成抽奖名单，或在“界面和规则”中使用其他"
                                "抽奖信息，以确保抽奖信息不为空。")
                     .arg(drawKeyLabel, drawKeyLabel),
                 Ui::Icon::Information, kCandidatePage};
            break;
        case DrawEngine::kDuplicateDrawKey:
            f = {QStringLiteral("当前设置的是按 \"%1\"进行抽奖，该列内容不能为空且不能重复。\n"
                                "经检查，在抽奖名单中“%2”列有重复数据 \"%3\"。\n\n"
                                "您可以重新导入或生成抽奖名单，或在“界面和规则”中使用其他"
                                "抽奖信息，以确保抽奖信息唯一。")
                     .arg(drawKeyLabel, drawKeyLabel, detail),
                 Ui::Icon::Information, kCandidatePage};
            break;
        case DrawEngine::kNoneInScope:
            f = {QStringLiteral("奖项“%"
                                "1”的抽奖范围内没有候选人。\n\n请在奖项中修改抽奖范围，或检查抽奖名"
                                "单中的部门和分组。")
                     .arg(detail),
                 Ui::Icon::Information, kPrizePage};
            break;
        case DrawEngine::kNobodyPresent:
            f = {QStringLiteral("现在只有已签到的人参加抽奖，但还没有人签到。\n\n"
                                "请等来宾扫码签到，或在抽奖名单中手动签到；"
                                "也可以在“界面和规则”中取消“只有已签到的人参加抽奖”。"),
                 Ui::Icon::Information, kCandidatePage};
            break;
        case DrawEngine::kMusicMissing:
            f = {QStringLiteral("指定的音乐文件不存在：%1").arg(detail), Ui::Icon::Information,
                 kUiPage};
            break;
        default:  // the operator declined, or nothing to say
            break;
    }
    return f;
}

bool MainWindow::event(QEvent* event) {
    if (const int number = NoticeEvent::NumberOf(event)) {
        const auto* notice = dynamic_cast<const NoticeEvent*>(event);
        HandleNotice(number, notice ? notice->Argument() : 0);
        return true;
    }
    return QDialog::event(event);
}

void MainWindow::HandleNotice(int number, int argument) {
    switch (number) {
        case WM_SELECT_TAB:
            ShowPage(argument);
            break;
        case WM_START_DRAW:
            StartDraw(false);
            break;
        case WM_REHEARSE:
            StartDraw(true);
            break;
        case WM_REFRESH_WINNERS:
            RebuildWinnerPage();
            break;
        case WM_END_SHOW:
            engine_->EndShow();
            break;
        case WM_SHOW_GUIDE:
            OpenGuide();
            break;
        case WM_PRIZES_CHANGED:
            data_.RemoveOrphanWinners();
            RebuildWinnerPage();
            break;
        case WM_CANDIDATES_CHANGED: {
            const int before = data_.FieldType();
            const int chosen = engine_->ChooseDrawKeyField();
            if (chosen != before) SelectDrawKeyOnUiPage(chosen);
            break;
        }
        default:
            break;
    }
}

void MainWindow::ShowPage(int index) {
    if (index < 0 || index >= kPageCount) return;
    for (int i = 0; i < kPageCount; ++i) pages_[size_t(i)]->setVisible(i == index);
    if (index == kUiPage) uiTab_->CheckIn()->ShowCount();
    data_.SetTabIndex(index);
}

void MainWindow::StartDraw(bool rehearsal) {
    checkIn_->RefreshRoster();
    AppShowHost host(data_, *engine_, this);
    host.SetCheckIn(checkIn_.get());
    bool ran = false;
    if (rehearsal) {
        // The very same show with every write off; what it drew is dropped afterwards.
        const std::map<int32_t, size_t> mark = data_.WinnerMark();
        const bool wasReadOnly = data_.ReadOnly();
        data_.SetReadOnly(true);
        engine_->SetRehearsal(true);
        ran = engine_->StartDraw(host);
        engine_->SetRehearsal(false);
        data_.SetReadOnly(wasReadOnly);
        data_.TrimWinnersTo(mark);
    } else {
        ran = engine_->StartDraw(host);
    }
    if (ran) {
        RebuildWinnerPage();
        if (winnerTab_) winnerTab_->SetShowPaused(engine_->HasPausedShow());
        return;
    }
    const DrawFailure f =
        DescribeDrawFailure(data_.DrawStatusCode(), data_.DrawStatusDetail(), DrawKeyLabel());
    if (!f.text.isEmpty()) Ui::Tell(this, f.text, f.icon);
    if (f.tab >= 0) strip_->Select(f.tab);
}

void MainWindow::OpenGuide() {
    const QString guide = AppFolders::GuidePath(data_.ProgramDir());
    if (guide.isEmpty()) {
        Ui::Tell(this, QStringLiteral("找不到使用说明。请重新安装本程序。"), Ui::Icon::Warning);
        return;
    }
    if (!Ui::OpenWithDefaultProgram(guide))
        Ui::Tell(this,
                 QStringLiteral("没有可以打开使用说明的浏览器。使用说明在：\n%1")
                     .arg(QDir::toNativeSeparators(guide)),
                 Ui::Icon::Information);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Enter in a page's box must not press the start button behind the operator's back;
    // a focused button still takes Enter itself.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainWindow::LayOutChildren() {
    const int W = width();
    const int H = height();
    banner_->setGeometry(0, 0, W, kBannerHeight);
    strip_->setGeometry(0, kBannerHeight, kStripWidth, H - kBarHeight - kBannerHeight);
    bar_->setGeometry(0, H - kBarHeight, W, kBarHeight);
    for (QWidget* page : pages_)
        if (page)
            page->setGeometry(kStripWidth, kBannerHeight, W - kStripWidth,
                              H - kBarHeight - kBannerHeight);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOutChildren();
    if (isVisible()) RememberSize();
}

void MainWindow::Centre() {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect area = s->availableGeometry();
    const QSize outer = frameGeometry().size();
    move(area.left() + (area.width() - outer.width()) / 2,
         area.top() + (area.height() - outer.height()) / 2);
}

QSize MainWindow::OuterSize() const {
    const QSize stored = data_.WindowSize();
    return stored.isEmpty() ? QSize(kOuterWidth, kOuterHeight)
                            : stored.expandedTo(QSize(kOuterWidth, kOuterHeight));
}

void MainWindow::FitOuterSize() {
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame == fittedFrame_) return;
    const bool first = fittedFrame_.width() < 0;
    fittedFrame_ = frame;
    setMinimumSize(kOuterWidth - frame.width(), kOuterHeight - frame.height());
    if (!first || isMaximized()) return;
    resize(OuterSize() - frame);
    Centre();
    if (data_.WindowMaximized()) showMaximized();
}

void MainWindow::RememberSize() {
    if (fittedFrame_.width() < 0) return;
    data_.SetWindowMaximized(isMaximized());
    // The size it had before it was maximised, so it comes back to that.
    const QSize outer = (isMaximized() ? normalGeometry().size() : size()) + fittedFrame_;
    data_.SetWindowSize(outer == QSize(kOuterWidth, kOuterHeight) ? QSize(0, 0) : outer);
}

void MainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FitOuterSize();
    // The window manager may add its frame only after the window is mapped.
    QTimer::singleShot(0, this, &MainWindow::FitOuterSize);
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (isVisible()) FitOuterSize();
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
}

void MainWindow::SetBridgeFolder(const QString& folder) {
    if (candidateTab_) candidateTab_->SetBridgeFolder(folder);
    if (winnerTab_) winnerTab_->SetBridgeFolder(folder);
}
