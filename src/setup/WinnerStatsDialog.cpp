#include "setup/WinnerStatsDialog.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

#include "model/AppData.h"
#include "model/Prize.h"
#include "ui/UiFont.h"
#include "ui/WidgetUtilities.h"

WinnerStatsDialog::WinnerStatsDialog(const AppData& data, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      list_(new QTreeWidget(this)),
      close_(new QPushButton(QStringLiteral("关闭"), this)) {
    setObjectName(QStringLiteral("WinnerStatsDialog"));
    setWindowTitle(QStringLiteral("中奖统计"));
    setFixedSize(DialogUnitsToPixels(this, 0, 0, 384, 200).size());

    list_->setGeometry(DialogUnitsToPixels(this, 7, 7, 370, 169));
    close_->setGeometry(DialogUnitsToPixels(this, 295, 180, 82, 14));
    // Esc rejects the dialog as well; both are the cancel command.
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    list_->setColumnCount(kColumnCount);
    list_->setHeaderLabels({QStringLiteral("奖项"), QStringLiteral("奖品"), QStringLiteral("总数"),
                            QStringLiteral("已抽取"), QStringLiteral("剩余")});
    static const int kWidths[kColumnCount] = {100, 180, 80, 80, 80};
    for (int c = 0; c < kColumnCount; ++c) list_->setColumnWidth(c, kWidths[c]);
    SetUpReportList(list_, QAbstractItemView::SingleSelection, false);
    list_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    Fill(data);
    SetFontOnAll(this, TheUiFont().Font());

    if (parent) {
        const QRect owner = parent->window()->frameGeometry();
        move(owner.center() - rect().center());
    }
}

void WinnerStatsDialog::Fill(const AppData& data) {
    for (const Prize* prize : data.PrizesInDrawOrder()) {
        const int drawn = data.WinnerCount(prize->id);
        auto* row = new QTreeWidgetItem(list_);
        row->setText(kName, prize->name);
        row->setText(kContent, prize->content);
        row->setText(kCount, QString::number(prize->count));
        row->setText(kDrawn, QString::number(drawn));
        // Signed: a count lowered below the winners already drawn shows as negative.
        row->setText(kRemaining, QString::number(qint64(prize->count) - drawn));
        row->setData(kName, Qt::UserRole, prize->id);
    }
}
