#include "setup/VerifyReportDialog.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/UiFont.h"

VerifyReportDialog::VerifyReportDialog(const QStringList& lines, bool passed, QWidget* parent)
    : QDialog(parent), text_(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("VerifyReportDialog"));
    setWindowTitle(QStringLiteral("抽奖记录验证"));
    auto* verdict = new QLabel(passed ? QStringLiteral("抽奖记录验证通过。")
                                      : QStringLiteral("抽奖记录验证未通过，详情如下。"),
                               this);
    verdict->setStyleSheet(passed ? QStringLiteral("color: #1a7f37;")
                                  : QStringLiteral("color: #c00000;"));
    text_->setReadOnly(true);
    text_->setPlainText(lines.join(QLatin1Char('\n')));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(verdict);
    layout->addWidget(text_, 1);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(640, 360);
    setFont(TheUiFont().Font());
}

QString VerifyReportDialog::Text() const {
    return text_->toPlainText();
}
