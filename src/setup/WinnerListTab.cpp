#include "setup/WinnerListTab.h"

#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>

#include <vector>

#include "draw/DrawVerifier.h"
#include "draw/WinnerDetails.h"
#include "model/AppData.h"
#include "model/Prize.h"
#include "model/Utilities.h"
#include "model/Winner.h"
#include "setup/CelvexLibrary.h"
#include "setup/VerifyReportDialog.h"
#include "setup/WinnerStatsDialog.h"
#include "ui/Notices.h"
#include "ui/Ui.h"
#include "ui/UiFont.h"
#include "ui/WidgetUtilities.h"

namespace {

constexpr int kWinnerRole = Qt::UserRole;
constexpr int kExportFontSize = 11;

const CelvexLibrary::Fields& ColumnTitles() {
    static const CelvexLibrary::Fields titles = {QStringLiteral("奖项"), QStringLiteral("奖品"),
                                                 QStringLiteral("中奖者"),
                                                 QStringLiteral("中奖时间")};
    return titles;
}

}  // namespace

WinnerListTab::WinnerListTab(AppData& data, QWidget* parent)
    : QWidget(parent), data_(data), bridgeFolder_(data.ProgramDir()), list_(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("VT_TAB_WINNER_LIST"));
    setAttribute(Qt::WA_OpaquePaintEvent);

    static const char16_t* const kLabels[kButtonCount] = {u"导出", u"删除", u"统计", u"验证记录",
                                                          u"结束本场"};
    for (int i = 0; i < kButtonCount; ++i) {
        auto* button = new QPushButton(QString::fromUtf16(kLabels[i]), this);
        button->setGeometry(8 + 93 * i, 8, 90, 30);
        buttons_[size_t(i)] = button;
    }
    connect(buttons_[kExport], &QPushButton::clicked, this, &WinnerListTab::Export);
    connect(buttons_[kDelete], &QPushButton::clicked, this, &WinnerListTab::Delete);
    connect(buttons_[kStats], &QPushButton::clicked, this, &WinnerListTab::ShowStats);
    connect(buttons_[kVerify], &QPushButton::clicked, this, &WinnerListTab::VerifyRecord);
    connect(buttons_[kEndShow], &QPushButton::clicked, this, &WinnerListTab::EndShow);
    buttons_[kEndShow]->setToolTip(
        QStringLiteral("本场抽奖已暂停：结束后公开本场密钥，之后的抽奖为新的一场"));
    SetShowPaused(false);

    list_->setColumnCount(kColumnCount);
    list_->setHeaderLabels(
        {ColumnTitles()[0], ColumnTitles()[1], ColumnTitles()[2], ColumnTitles()[3]});
    static const int kWidths[kColumnCount] = {90, 120, 150, 180};
    for (int c = 0; c < kColumnCount; ++c) list_->setColumnWidth(c, kWidths[c]);
    SetUpReportList(list_, QAbstractItemView::ExtendedSelection, true);
    list_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->setFrameShape(QFrame::NoFrame);
    list_->installEventFilter(this);

    Refresh();
}

void WinnerListTab::SetShowPaused(bool paused) {
    buttons_[kEndShow]->setEnabled(paused);
}

void WinnerListTab::EndShow() {
    if (!buttons_[kEndShow]->isEnabled()) return;
    if (Ui::Tell(this,
                 QStringLiteral("结束本场抽奖吗？\n结束后将公开本场的密钥；再点击“开始抽奖”时，"
                                "将开始新的一场，抽奖指纹也会不同。"),
                 Ui::Icon::Question, Ui::Buttons::YesNo) != Ui::Answer::Yes)
        return;
    SetShowPaused(false);
    SendNotice(parentWidget(), WM_END_SHOW);
}

Winner* WinnerListTab::RowWinner(const QTreeWidgetItem* row) {
    return row ? static_cast<Winner*>(row->data(kPrize, kWinnerRole).value<void*>()) : nullptr;
}

void WinnerListTab::Refresh() {
    list_->clear();
    std::vector<Winner*> winners;
    data_.WinnersInDrawOrder(winners);
    for (Winner* winner : winners) {
        const Prize* prize = data_.FindPrize(winner->prize);
        if (!prize) continue;
        auto* row = new QTreeWidgetItem(list_);
        row->setText(kPrize, prize->name);
        row->setText(kContent, prize->content);
        row->setText(kShow, winner->show);
        row->setText(kTime, winner->time);
        row->setData(kPrize, kWinnerRole, QVariant::fromValue<void*>(winner));
    }
}

bool WinnerListTab::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+A selects every row whatever the platform's key bindings say.
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_A && (key->modifiers() & Qt::ControlModifier)) {
            list_->selectAll();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void WinnerListTab::resizeEvent(QResizeEvent*) {
    // Inside the painted frame (5, 43) - (W - 8, H - 8), one pixel in on every side.
    list_->setGeometry(6, 44, width() - 15, height() - 53);
}

// Painted straight onto the page: Qt's backing store already double-buffers it.
void WinnerListTab::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor::fromRgba(0xFFC0C0C0));
    painter.drawRect(QRect(5, 43, width() - 14, height() - 52));
}

void WinnerListTab::Delete() {
    const int k = int(list_->selectedItems().size());
    if (k == 0) {
        Ui::Tell(this,
                 QStringLiteral("%1\n\n%2")
                     .arg(QStringLiteral("请先从列表中选择要删除的中奖记录."),
                          QStringLiteral("您可以按Ctrl或Shift结合鼠标左键单击选择多个条目，"
                                         "也可以直接按Ctrl+A全选")),
                 Ui::Icon::Information);
        return;
    }
    if (Ui::Tell(this, QStringLiteral("确定要删除这 %1 条中奖记录吗？").arg(k), Ui::Icon::Question,
                 Ui::Buttons::YesNo) != Ui::Answer::Yes)
        return;
    {
        // The removals reach the draw record together, before data.xml is saved.
        AppData::RecordBatch batch(data_);
        for (int i = list_->topLevelItemCount() - 1; i >= 0; --i) {
            QTreeWidgetItem* row = list_->topLevelItem(i);
            if (!row->isSelected()) continue;
            // RemoveWinner only compares the address, so a record that is already gone is
            // simply not found; the returned record is destroyed here.
            data_.RemoveWinner(RowWinner(row));
            delete list_->takeTopLevelItem(i);
        }
    }
    data_.Save(AppData::kSaveData);
}

void WinnerListTab::Export() {
    Ui::FileRequest request;
    request.parent = this;
    request.save = true;
    request.filter = QStringLiteral("Excel 文件(*.xlsx)|*.xls;*.xlsx||");
    request.initialName = QStringLiteral("中奖名单.xlsx");
    request.defaultSuffix = QStringLiteral("xlsx");
    QString path;
    for (;;) {
        const QString typed = Ui::CurrentBackend().AskFileName(request);
        if (typed.isEmpty()) return;
        path = Ui::WithDefaultSuffix(typed, request.defaultSuffix);
        // The file dialog asked about the name as typed; the file written carries the suffix,
        // so the question about replacing it is asked here. No asks for another name.
        if (path == typed || !QFileInfo::exists(path)) break;
        if (Ui::Tell(this,
                     QStringLiteral("%1 已存在。\n要替换它吗？").arg(QFileInfo(path).fileName()),
                     Ui::Icon::Question, Ui::Buttons::YesNo) == Ui::Answer::Yes)
            break;
        request.initialName = QFileInfo(path).fileName();
    }
    if (!ExportTo(path)) return;
    if (Ui::Tell(this, QStringLiteral("导出成功！\n您要现在打开该Excel文件吗?"),
                 Ui::Icon::Information, Ui::Buttons::YesNo) != Ui::Answer::Yes)
        return;
    if (Ui::OpenWithDefaultProgram(path)) return;
    if (Ui::Tell(this, QStringLiteral("没有可以打开该文件的程序。要打开它所在的文件夹吗？"),
                 Ui::Icon::Question, Ui::Buttons::YesNo) == Ui::Answer::Yes)
        Ui::OpenWithDefaultProgram(QFileInfo(path).absolutePath());
}

bool WinnerListTab::ExportTo(const QString& path) {
    std::vector<Winner*> winners;
    data_.WinnersInDrawOrder(winners);
    std::vector<CelvexLibrary::Fields> rows(winners.size());
    for (size_t i = 0; i < winners.size(); ++i) {
        const Winner* winner = winners[i];
        const Prize* prize = data_.FindPrize(winner->prize);
        // A record whose prize is gone stays a row of null slots: empty cells in the sheet.
        if (!prize) continue;
        rows[i] = {prize->name, prize->content, winner->show, winner->time};
    }
    // The designed sheet stays as it was; the details go on a sheet HR can filter.
    const WinnerDetails::Sheet sheet = WinnerDetails::Build(data_);
    CelvexLibrary::Detail detail;
    detail.name = QStringLiteral("明细");
    detail.titles = sheet.titles;
    detail.timeColumn = sheet.timeColumn;
    detail.rows = sheet.rows;
    const CelvexLibrary::ExportOutcome outcome =
        CelvexLibrary(bridgeFolder_)
            .Export(path, ColumnTitles(), data_.Title(), TheUiFont().FaceName(), kExportFontSize,
                    rows, &detail);
    // Without the library or its function the export does nothing visible.
    if (!outcome.loaded) return false;
    if (outcome.success) return true;
    Ui::Tell(this, ImportErrorText(outcome.error), Ui::Icon::Information);
    return false;
}

void WinnerListTab::ShowStats() {
    QWidget* owner = QApplication::activeWindow();
    WinnerStatsDialog dialog(data_, owner ? owner : window());
    Ui::Exec(dialog);
}

void WinnerListTab::VerifyRecord() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const DrawVerifier::Report report = DrawVerifier::Verify(data_.DataDir());
    QApplication::restoreOverrideCursor();
    QWidget* owner = QApplication::activeWindow();
    VerifyReportDialog dialog(report.lines, report.outcome == DrawVerifier::kPassed,
                              owner ? owner : window());
    Ui::Exec(dialog);
}
