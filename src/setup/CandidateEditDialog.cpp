#include "setup/CandidateEditDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Ui.h"
#include "ui/UiFont.h"
#include "ui/WidgetUtilities.h"

namespace {

// As long as the data files keep a field; longer is surely a paste gone wrong.
constexpr int kMaxLength = 259;

}  // namespace

CandidateEditDialog::CandidateEditDialog(const Values& values, Check check, QWidget* parent)
    : QDialog(parent), check_(std::move(check)) {
    setWindowTitle(QStringLiteral("修改候选人"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const char16_t* const labels[] = {u"编号", u"姓名", u"部门", u"手机", u"分组"};
    for (int i = 0; i < kFieldCount; ++i) {
        edits_[size_t(i)] = new QLineEdit(values[size_t(i)], this);
        edits_[size_t(i)]->setMaxLength(kMaxLength);
        form->addRow(QString::fromUtf16(labels[i]), edits_[size_t(i)]);
    }
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
    connect(ok_, &QPushButton::clicked, this, &CandidateEditDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    SetFontOnAll(this, TheUiFont().Font());
    resize(420, sizeHint().height());
}

CandidateEditDialog::Values CandidateEditDialog::Entered() const {
    Values v;
    for (size_t i = 0; i < v.size(); ++i) v[i] = edits_[i]->text().trimmed();
    return v;
}

void CandidateEditDialog::accept() {
    if (check_) {
        const QString problem = check_(Entered());
        if (!problem.isEmpty()) {
            Ui::Tell(this, problem, Ui::Icon::Warning);
            return;
        }
    }
    QDialog::accept();
}
