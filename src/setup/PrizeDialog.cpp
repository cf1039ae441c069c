#include "setup/PrizeDialog.h"

#include <QFrame>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "model/AppData.h"
#include "model/Utilities.h"
#include "setup/ScopeEditor.h"
#include "ui/Ui.h"
#include "ui/UiFont.h"
#include "ui/WidgetUtilities.h"

namespace {

const QString kPictureFilter =
    QStringLiteral("图片文件（jpg;jpeg;png;gif;bmp）|*.jpg;*.jpeg;*.png;*.gif;*.bmp||");

QImage LoadPicture(const QString& path) {
    if (!FileExists(path, false)) return QImage();
    QImageReader reader(path);
    return reader.read();  // null when the file does not decode
}

}  // namespace

PrizeDialog::PrizeDialog(AppData& data, bool editMode, const Values& initial, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      data_(data),
      editMode_(editMode),
      values_(initial),
      defaultPicture_(data.ProgramDir() + QStringLiteral("example/def_prize.png")) {
    setObjectName(QStringLiteral("PrizeDialog"));
    setWindowTitle(editMode ? QStringLiteral("修改奖项") : QStringLiteral("添加奖项"));
    setFixedSize(DialogUnitsToPixels(this, 0, 0, 345, 330).size());

    const auto place = [this](QWidget* w, int x, int y, int cx, int cy) {
        w->setGeometry(DialogUnitsToPixels(this, x, y, cx, cy));
    };
    auto* frame = new QGroupBox(this);
    // Outline only: the style's panel fill would lie over the preview painted beneath it.
    frame->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid #c0c0c0; }"));
    place(frame, 7, 3, 276, 175);

    const auto label = [&](const QString& text, int y) {
        auto* l = new QLabel(text, this);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        place(l, 14, y, 61, 11);
        return l;
    };
    const auto edit = [&](int y, int w) {
        auto* e = new QLineEdit(this);
        place(e, 79, y, w, 14);
        return e;
    };
    label(QStringLiteral("奖项"), 17);
    name_ = edit(14, 198);
    name_->setMaxLength(kMaxNameLength);
    label(QStringLiteral("奖品"), 35);
    content_ = edit(33, 198);
    const QRegularExpression digits(QStringLiteral("[0-9]*"));
    label(QStringLiteral("总数"), 53);
    count_ = edit(52, 198);
    count_->setValidator(new QRegularExpressionValidator(digits, count_));
    label(QStringLiteral("分几轮抽取"), 71);
    batch_ = edit(71, 198);
    batch_->setValidator(new QRegularExpressionValidator(digits, batch_));
    label(QStringLiteral("奖品图"), 93);
    path_ = edit(91, 155);
    path_->setReadOnly(true);
    path_->setFocusPolicy(Qt::ClickFocus);

    browse_ = new QPushButton(QStringLiteral("..."), this);
    place(browse_, 236, 91, 15, 14);
    browse_->setAutoDefault(false);
    default_ = new QPushButton(QStringLiteral("默认"), this);
    place(default_, 253, 91, 24, 14);
    default_->setAutoDefault(false);

    auto* previewFrame = new QFrame(this);
    previewFrame->setFrameStyle(QFrame::Box | QFrame::Plain);
    previewFrame->setStyleSheet(QStringLiteral("color: #c0c0c0;"));
    place(previewFrame, 79, 106, 198, 68);
    previewRect_ = previewFrame->geometry();

    ok_ = new QPushButton(editMode ? QStringLiteral("保存") : QStringLiteral("添加"), this);
    place(ok_, 288, 147, 50, 14);
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("取消"), this);
    place(cancel_, 288, 164, 50, 14);
    cancel_->setAutoDefault(false);

    scope_ = new ScopeEditor(data_, values_.scope, values_.repeat, this);
    place(scope_, 7, 182, 331, 142);

    connect(browse_, &QPushButton::clicked, this, &PrizeDialog::Browse);
    connect(default_, &QPushButton::clicked, this, &PrizeDialog::UseDefaultPicture);
    connect(ok_, &QPushButton::clicked, this, &PrizeDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &PrizeDialog::reject);

    // White page: labels, the group box and the read-only path box show it through.
    QPalette page = palette();
    page.setColor(QPalette::Window, Qt::white);
    setPalette(page);
    QPalette pathPalette = path_->palette();
    pathPalette.setColor(QPalette::Base, Qt::white);
    path_->setPalette(pathPalette);

    SetFontOnAll(this, TheUiFont().Font());

    name_->setText(values_.name);
    content_->setText(values_.content);
    count_->setText(QString::number(values_.count));
    batch_->setText(QString::number(values_.batch));
    ReloadPreview();
    name_->setFocus(Qt::OtherFocusReason);
}

PrizeDialog::~PrizeDialog() = default;

QRect PrizeDialog::FitPicture(const QRect& frame, QSize picture) {
    const int L = frame.left();
    const int T = frame.top();
    const int R = frame.left() + frame.width();
    const int B = frame.top() + frame.height();
    const int w = picture.width();
    const int h = picture.height();
    if (w <= 0 || h <= 0) return QRect(L, T, 0, 0);
    double fw = w;
    double fh = h;
    if (R - L < w || B - T < h) {
        const double aspect = double(w) / double(h);
        const double hf = (R - L) / aspect;
        if (B - T < int(hf)) {
            fw = aspect * (B - T);
            fh = B - T;
        } else {
            fw = R - L;
            fh = hf;
        }
    }
    const int iw = int(fw);
    const int ih = int(fh);
    return QRect(L + (R - iw - L) / 2, T + (B - ih - T) / 2, iw, ih);
}

void PrizeDialog::accept() {
    const auto refuse = [this](const QString& text, QLineEdit* box) {
        Ui::Tell(this, text, Ui::Icon::Information);
        box->setFocus(Qt::OtherFocusReason);
    };
    const QString name = name_->text().left(kMaxNameLength).trimmed();
    if (name.isEmpty()) return refuse(QStringLiteral("请输入奖项名称"), name_);
    const QString content = content_->text().trimmed();
    const int32_t count = ParseInt(count_->text());
    if (count <= 0) return refuse(QStringLiteral("总数至少为 1"), count_);
    const int32_t batch = ParseInt(batch_->text());
    if (batch < 1 || batch > count)
        return refuse(QStringLiteral("轮数必须在 1 和 中奖人数 之间"), batch_);
    if (scope_->MissingValues()) {
        Ui::Tell(this, QStringLiteral("请在抽奖范围中勾选至少一个部门或分组。"),
                 Ui::Icon::Information);
        scope_->FilterBox()->setFocus(Qt::OtherFocusReason);
        return;
    }
    values_.scope = scope_->Scope();
    values_.repeat = scope_->Repeat();
    values_.name = name;
    values_.content = content;
    values_.count = count;
    values_.batch = batch;
    QDialog::accept();
}

void PrizeDialog::Browse() {
    const QString chosen = Ui::OpenFileName(this, kPictureFilter);
    if (chosen.isEmpty()) return;
    values_.image = chosen;
    ReloadPreview();
}

void PrizeDialog::UseDefaultPicture() {
    values_.image.clear();
    ReloadPreview();
}

void PrizeDialog::ReloadPreview() {
    if (!values_.image.isEmpty()) {
        preview_ = LoadPicture(values_.image);
        path_->setText(values_.image);
    } else {
        preview_ = LoadPicture(defaultPicture_);
        path_->setText(QStringLiteral("默认奖品图"));
    }
    update(previewRect_);
}

// Painted straight onto the dialog: Qt's backing store already double-buffers it.
void PrizeDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (preview_.isNull()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(FitPicture(previewRect_, preview_.size()), preview_);
}
