#include "setup/GenerateNumbersDialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "model/Utilities.h"
#include "ui/Ui.h"
#include "ui/UiFont.h"
#include "ui/WidgetUtilities.h"

GenerateNumbersDialog::GenerateNumbersDialog(const GenNumberSettings& seed, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("GenerateNumbersDialog"));
    setWindowTitle(QStringLiteral("生成编号"));
    setFixedSize(DialogUnitsToPixels(this, 0, 0, 264, 118).size());

    const auto place = [this](QWidget* w, int x, int y, int cx, int cy) {
        w->setGeometry(DialogUnitsToPixels(this, x, y, cx, cy));
    };

    place(new QGroupBox(this), 7, 3, 250, 90);
    const auto label = [&](const QString& text, int y) {
        auto* l = new QLabel(text, this);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        place(l, 14, y, 41, 11);
    };
    label(QStringLiteral("开始数字"), 17);
    label(QStringLiteral("总数"), 35);
    label(QStringLiteral("前缀"), 53);
    label(QStringLiteral("后缀"), 71);

    const auto edit = [&](int y) {
        auto* e = new QLineEdit(this);
        place(e, 60, y, 49, 14);
        return e;
    };
    const QRegularExpression digits(QStringLiteral("[0-9]*"));
    start_ = edit(14);
    start_->setValidator(new QRegularExpressionValidator(digits, start_));
    total_ = edit(33);
    total_->setValidator(new QRegularExpressionValidator(digits, total_));
    prefix_ = edit(52);
    prefix_->setMaxLength(kMaxAffixLength);
    suffix_ = edit(71);
    suffix_->setMaxLength(kMaxAffixLength);

    place(new QGroupBox(QStringLiteral("预览（前5项）"), this), 122, 10, 127, 76);
    preview_ = new QLabel(this);
    preview_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    place(preview_, 131, 22, 109, 58);

    ok_ = new QPushButton(QStringLiteral("生成"), this);
    place(ok_, 152, 97, 50, 14);
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("取消"), this);
    place(cancel_, 207, 97, 50, 14);
    cancel_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &GenerateNumbersDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &GenerateNumbersDialog::reject);

    for (QLineEdit* e : {start_, total_, prefix_, suffix_})
        connect(e, &QLineEdit::textChanged, this, &GenerateNumbersDialog::UpdatePreview);

    // setText bypasses the validator, so a seeded negative start still shows as it is.
    start_->setText(QString::number(seed.Start));
    total_->setText(QString::number(seed.Total));
    prefix_->setText(seed.Prefix);
    suffix_->setText(seed.Suffix);

    SetFontOnAll(this, TheUiFont().Font());
    initialised_ = true;
    UpdatePreview();
    start_->setFocus(Qt::OtherFocusReason);
}

int GenerateNumbersDialog::PadWidth(int64_t value) {
    uint64_t v = value < 0 ? uint64_t(0) - uint64_t(value) : uint64_t(value);
    int digits = 0;
    while (v != 0) {
        ++digits;
        v /= 10;
    }
    return digits;
}

QStringList GenerateNumbersDialog::Generate(int32_t start, int32_t total, const QString& prefix,
                                            const QString& suffix, bool preview) {
    QStringList out;
    int64_t n = total;
    if (preview && n > kPreviewCount) n = kPreviewCount;
    if (n <= 0) return out;
    // 64-bit arithmetic: a run that passes the int32 limit keeps counting instead of wrapping.
    const int width = PadWidth(int64_t(start) + int64_t(total));
    const QString head = prefix.trimmed();
    const QString tail = suffix.trimmed();
    out.reserve(qsizetype(n));
    for (int64_t i = 0; i < n; ++i) {
        // printf's "%0*d": the minus sign counts inside the width.
        out.append(head + QString::asprintf("%0*lld", width, static_cast<long long>(start + i)) +
                   tail);
    }
    return out;
}

GenNumberSettings GenerateNumbersDialog::Settings() const {
    GenNumberSettings s;
    s.Start = ParseInt(start_->text());
    s.Total = ParseInt(total_->text());
    s.Prefix = prefix_->text().trimmed();
    s.Suffix = suffix_->text().trimmed();
    return s;
}

void GenerateNumbersDialog::UpdatePreview() {
    if (!initialised_) return;
    const GenNumberSettings s = Settings();
    preview_->setText(Generate(s.Start, s.Total, s.Prefix, s.Suffix, true).join(u'\n'));
}

void GenerateNumbersDialog::accept() {
    const GenNumberSettings s = Settings();
    // Every text is built before the caller adds it: an unbounded total would exhaust memory
    // and take the unsaved edits of the other pages with it.
    if (s.Total > kMaxTotal) {
        Ui::Tell(this, QStringLiteral("总数不能超过 %1。").arg(kMaxTotal), Ui::Icon::Information);
        total_->setFocus(Qt::OtherFocusReason);
        total_->selectAll();
        return;
    }
    texts_ = Generate(s.Start, s.Total, s.Prefix, s.Suffix, false);
    QDialog::accept();
}
