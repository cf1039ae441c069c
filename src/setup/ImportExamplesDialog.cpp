#include "setup/ImportExamplesDialog.h"

#include <QComboBox>
#include <QImageReader>
#include <QPainter>
#include <QPushButton>

#include "ui/UiFont.h"
#include "ui/WidgetUtilities.h"

namespace {

const QColor kBackground(245, 245, 245);
const QColor kBand(223, 223, 223);
constexpr int kBandHeight = 32;

}  // namespace

ImportExamplesDialog::ImportExamplesDialog(const QString& programDir, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      programDir_(programDir) {
    setObjectName(QStringLiteral("ImportExamplesDialog"));
    setWindowTitle(QStringLiteral("导入文件示例"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(DialogUnitsToPixels(this, 0, 0, 325, 187).size());

    close_ = new QPushButton(QStringLiteral("关闭"), this);
    close_->setGeometry(DialogUnitsToPixels(this, 242, 165, 77, 16));
    close_->setAutoDefault(false);
    connect(close_, &QPushButton::clicked, this, &ImportExamplesDialog::reject);

    combo_ = new QComboBox(this);
    combo_->setObjectName(QStringLiteral("ExampleList"));
    combo_->addItems({QStringLiteral("导入文件示例：Excel导入，按姓名和部门抽奖"),
                      QStringLiteral("导入文件示例：Excel导入，按手机抽奖"),
                      QStringLiteral("导入文件示例：文本导入，按姓名和部门抽奖"),
                      QStringLiteral("导入文件示例：文本导入，按编号抽奖")});
    combo_->setCurrentIndex(0);
    SetFontOnAll(this, TheUiFont().Font());
    combo_->setGeometry(100, 45, width() - 200, combo_->sizeHint().height());
    // activated comes from the operator only; the slideshow's own steps do not stop it.
    connect(combo_, &QComboBox::activated, this, &ImportExamplesDialog::Picked);

    LoadPicture();
    timer_.setInterval(kCycleMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &ImportExamplesDialog::Step);
    timer_.start();
}

QString ImportExamplesDialog::PicturePath(int position) const {
    return programDir_ + QStringLiteral("example/import_%1.png").arg(position);
}

int ImportExamplesDialog::Position() const {
    return combo_->currentIndex() + 1;
}

QRect ImportExamplesDialog::PictureArea() const {
    return QRect(QPoint(100, 80), QPoint(width() - 100 - 1, height() - 57 - 1));
}

QRect ImportExamplesDialog::FitPicture(const QRect& area, QSize picture) {
    if (picture.isEmpty() || area.isEmpty()) return QRect(area.center(), QSize(0, 0));
    QSize size = picture;
    if (size.width() > area.width() || size.height() > area.height())
        size = picture.scaled(area.size(), Qt::KeepAspectRatio);
    const int x = area.left() + (area.width() - size.width()) / 2;
    const int y = area.top() + (area.height() - size.height()) / 2;
    return QRect(QPoint(x, y), size);
}

void ImportExamplesDialog::Step() {
    if (!isVisible()) return;
    combo_->setCurrentIndex((combo_->currentIndex() + 1) % kExampleCount);
    LoadPicture();
}

void ImportExamplesDialog::Picked(int) {
    timer_.stop();
    LoadPicture();
}

void ImportExamplesDialog::LoadPicture() {
    picture_ = QImage();
    QImageReader reader(PicturePath(Position()));
    picture_ = reader.read();  // null when missing or unreadable: nothing is drawn
    update();
}

void ImportExamplesDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.fillRect(rect(), kBackground);
    const QRect band(0, 0, w, kBandHeight);
    painter.fillRect(band, kBand);
    QFont font(TheUiFont().FaceName());
    font.setPointSize(10);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(band, Qt::AlignCenter,
                     QStringLiteral("提示：编号、姓名、部门、手机等抽奖信息可以根据需要选择使用"));
    if (!picture_.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(FitPicture(PictureArea(), picture_.size()), picture_);
    }
    painter.setPen(kBand);
    painter.drawLine(0, h - 42, w - 1, h - 42);
}
