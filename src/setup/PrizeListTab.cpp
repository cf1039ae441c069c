#include "setup/PrizeListTab.h"

#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>

#include "draw/PrizeRuleText.h"
#include "model/AppData.h"
#include "model/Prize.h"
#include "model/Utilities.h"
#include "setup/PrizeDialog.h"
#include "ui/Notices.h"
#include "ui/Ui.h"
#include "ui/WidgetUtilities.h"

namespace {

constexpr int kIdRole = Qt::UserRole;

QString PictureText(const QString& image) {
    const QString name = FileNameOf(image);
    return name.isEmpty() ? QStringLiteral("默认") : name;
}

}  // namespace

PrizeListTab::PrizeListTab(AppData& data, QWidget* parent)
    : QWidget(parent), data_(data), list_(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("VT_TAB_PRIZE_LIST"));
    setAttribute(Qt::WA_OpaquePaintEvent);

    static const char16_t* const kLabels[kButtonCount] = {u"添加", u"修改", u"删除", u"上移",
                                                          u"下移"};
    for (int i = 0; i < kButtonCount; ++i) {
        auto* button = new QPushButton(QString::fromUtf16(kLabels[i]), this);
        button->setGeometry(8 + 93 * i, 8, 90, 30);
        buttons_[size_t(i)] = button;
    }
    connect(buttons_[kAdd], &QPushButton::clicked, this, &PrizeListTab::Add);
    connect(buttons_[kModify], &QPushButton::clicked, this, [this] { Modify(false); });
    connect(buttons_[kDelete], &QPushButton::clicked, this, &PrizeListTab::Delete);
    connect(buttons_[kMoveUp], &QPushButton::clicked, this, &PrizeListTab::MoveUp);
    connect(buttons_[kMoveDown], &QPushButton::clicked, this, &PrizeListTab::MoveDown);

    list_->setColumnCount(kColumnCount);
    list_->setHeaderLabels({QStringLiteral("序号"), QStringLiteral("奖项"), QStringLiteral("奖品"),
                            QStringLiteral("总数"), QStringLiteral("轮数"),
                            QStringLiteral("奖品图"), QStringLiteral("抽奖范围")});
    static const int kWidths[kColumnCount] = {44, 86, 104, 48, 48, 90, 140};
    for (int c = 0; c < kColumnCount; ++c) list_->setColumnWidth(c, kWidths[c]);
    SetUpReportList(list_, QAbstractItemView::ExtendedSelection, true);
    list_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->setFrameShape(QFrame::NoFrame);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { Modify(true); });

    Fill();
}

int32_t PrizeListTab::RowId(const QTreeWidgetItem* row) {
    return row ? row->data(kNumber, kIdRole).toInt() : -1;
}

QTreeWidgetItem* PrizeListTab::Row(int position) const {
    return list_->topLevelItem(position);
}

void PrizeListTab::WriteRow(QTreeWidgetItem* row, int position, const Prize& prize) {
    row->setText(kNumber, QString::number(position + 1));
    row->setText(kName, prize.name);
    row->setText(kContent, prize.content);
    row->setText(kCount, QString::number(prize.count));
    row->setText(kBatch, QString::number(prize.batch));
    row->setText(kPicture, PictureText(prize.image));
    row->setText(kRule, PrizeRuleText::Short(prize.scope, prize.repeat));
    row->setData(kNumber, kIdRole, prize.id);
}

void PrizeListTab::Fill() {
    list_->clear();
    int position = 0;
    for (const Prize* prize : data_.PrizesInDrawOrder()) {
        auto* row = new QTreeWidgetItem(list_);
        WriteRow(row, position++, *prize);
    }
}

void PrizeListTab::resizeEvent(QResizeEvent*) {
    list_->setGeometry(6, 44, width() - 15, height() - 53);
}

// Painted straight onto the page: Qt's backing store already double-buffers it.
void PrizeListTab::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor::fromRgba(0xFFC0C0C0));
    painter.drawRect(QRect(5, 43, width() - 14, height() - 52));
}

void PrizeListTab::Add() {
    PrizeDialog dialog(data_, false, PrizeDialog::Values(), this);
    if (Ui::Exec(dialog) != QDialog::Accepted) return;
    const PrizeDialog::Values& v = dialog.Result();
    const int n = list_->topLevelItemCount();
    const int32_t id = data_.AddPrize(v.name, v.content, v.count, v.batch, v.image, n);
    Prize* prize = data_.FindPrize(id);
    if (!prize) return;
    prize->scope = v.scope;
    prize->repeat = v.repeat;
    auto* row = new QTreeWidgetItem(list_);
    WriteRow(row, n, *prize);
}

void PrizeListTab::Modify(bool fromDoubleClick) {
    QTreeWidgetItem* row = nullptr;
    for (int i = 0; i < list_->topLevelItemCount() && !row; ++i)
        if (Row(i)->isSelected()) row = Row(i);
    if (!row) {
        if (!fromDoubleClick)
            Ui::Tell(this, QStringLiteral("你想修改哪一项呢? 请先选中它。"), Ui::Icon::Information);
        return;
    }
    Prize* prize = data_.FindPrize(RowId(row));
    if (!prize) return;
    PrizeDialog::Values seed;
    seed.name = row->text(kName);
    seed.content = row->text(kContent);
    seed.count = ParseInt(row->text(kCount));
    seed.batch = ParseInt(row->text(kBatch));
    seed.image = prize->image;
    seed.scope = prize->scope;
    seed.repeat = prize->repeat;
    PrizeDialog dialog(data_, true, seed, this);
    if (Ui::Exec(dialog) != QDialog::Accepted) return;
    // The show may have run between opening and closing: look the prize up again.
    prize = data_.FindPrize(RowId(row));
    if (!prize) return;
    const PrizeDialog::Values& v = dialog.Result();
    prize->name = v.name;
    prize->content = v.content;
    prize->count = v.count;
    prize->batch = v.batch;
    prize->image = v.image;
    prize->scope = v.scope;
    prize->repeat = v.repeat;
    WriteRow(row, list_->indexOfTopLevelItem(row), *prize);
    SendNotice(parentWidget(), WM_PRIZES_CHANGED);
}

void PrizeListTab::Delete() {
    const int k = int(list_->selectedItems().size());
    if (k == 0) {
        Ui::Tell(this, QStringLiteral("你想删除哪一项呢? 请先选中它。"), Ui::Icon::Information);
        return;
    }
    if (Ui::Tell(this, QStringLiteral("你确信要删除这 %1 个奖项吗？").arg(k), Ui::Icon::Question,
                 Ui::Buttons::YesNo) != Ui::Answer::Yes)
        return;
    for (int i = list_->topLevelItemCount() - 1; i >= 0; --i) {
        if (!Row(i)->isSelected()) continue;
        data_.DeletePrize(RowId(Row(i)));
        delete list_->takeTopLevelItem(i);
    }
    for (int p = 0; p < list_->topLevelItemCount(); ++p) {
        Row(p)->setText(kNumber, QString::number(p + 1));
        if (Prize* prize = data_.FindPrize(RowId(Row(p)))) prize->index = p;
    }
    SendNotice(parentWidget(), WM_PRIZES_CHANGED);
}

void PrizeListTab::SwapRows(int a, int b) {
    QTreeWidgetItem* ra = Row(a);
    QTreeWidgetItem* rb = Row(b);
    for (int c = kName; c < kColumnCount; ++c) {
        const QString t = ra->text(c);
        ra->setText(c, rb->text(c));
        rb->setText(c, t);
    }
    const int32_t idA = RowId(ra);
    const int32_t idB = RowId(rb);
    if (Prize* pa = data_.FindPrize(idA)) pa->index = b;
    if (Prize* pb = data_.FindPrize(idB)) pb->index = a;
    ra->setData(kNumber, kIdRole, idB);
    rb->setData(kNumber, kIdRole, idA);
}

void PrizeListTab::MoveUp() {
    // A selected row only passes an unselected one, so a selected block that already
    // reaches the top stays as it is instead of being shuffled inside itself.
    for (int i = 1; i < list_->topLevelItemCount(); ++i) {
        if (!Row(i)->isSelected() || Row(i - 1)->isSelected()) continue;
        SwapRows(i, i - 1);
        Row(i - 1)->setSelected(true);
        Row(i)->setSelected(false);
    }
}

void PrizeListTab::MoveDown() {
    for (int n = list_->topLevelItemCount() - 2; n >= 0; --n) {
        if (!Row(n)->isSelected() || Row(n + 1)->isSelected()) continue;
        SwapRows(n, n + 1);
        Row(n + 1)->setSelected(true);
        Row(n)->setSelected(false);
    }
}
