#include "stage/AddPrizeDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/Ui.h"
#include "ui/UiFont.h"
#include "ui/WidgetUtilities.h"

namespace {

constexpr int kMaxTextLength = 259;

}  // namespace

AddPrizeDialog::AddPrizeDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("加奖"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    name_ = new QLineEdit(this);
    name_->setMaxLength(kMaxTextLength);
    name_->setPlaceholderText(QStringLiteral("例如：总经理特别奖"));
    content_ = new QLineEdit(this);
    content_->setMaxLength(kMaxTextLength);
    count_ = new QSpinBox(this);
    count_->setRange(1, kMostWinners);
    rounds_ = new QSpinBox(this);
    rounds_->setRange(1, kMostWinners);
    form->addRow(QStringLiteral("奖项名称"), name_);
    form->addRow(QStringLiteral("奖品"), content_);
    form->addRow(QStringLiteral("中奖人数"), count_);
    form->addRow(QStringLiteral("分几轮抽"), rounds_);
    layout->addLayout(form);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    ok_ = new QPushButton(QStringLiteral("确定"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("取消"), this);
    cancel_->setAutoDefault(false);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &AddPrizeDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    SetFontOnAll(this, TheUiFont().Font());
    resize(420, sizeHint().height());
}

QString AddPrizeDialog::Name() const {
    return name_->text().trimmed();
}

QString AddPrizeDialog::Content() const {
    return content_->text().trimmed();
}

int AddPrizeDialog::Count() const {
    return count_->value();
}

int AddPrizeDialog::Rounds() const {
    return rounds_->value();
}

void AddPrizeDialog::accept() {
    QString problem;
    if (Name().isEmpty())
        problem = QStringLiteral("请填写奖项名称。");
    else if (Rounds() > Count())
        problem = QStringLiteral("轮数不能多于中奖人数。");
    if (!problem.isEmpty()) {
        Ui::Tell(this, problem, Ui::Icon::Warning);
        return;
    }
    QDialog::accept();
}
