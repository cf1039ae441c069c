#include "controls/ControlBar.h"

#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "ui/Notices.h"

ControlBar::ControlBar(QWidget* parent)
    : QWidget(parent),
      start_(new QPushButton(QStringLiteral("开始抽奖"), this)),
      rehearse_(new QPushButton(QStringLiteral("彩排"), this)),
      guide_(new QPushButton(QStringLiteral("使用说明"), this)),
      status_(new QLabel(this)) {
    setObjectName(QStringLiteral("VT_CONTROL_BAR"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    start_->setDefault(true);
    rehearse_->setToolTip(QStringLiteral("完整走一遍抽奖流程，不保存任何结果"));
    status_->setObjectName(QStringLiteral("ControlBarStatus"));
    status_->setWordWrap(true);
    status_->setTextFormat(Qt::PlainText);
    connect(start_, &QPushButton::clicked, this,
            [this] { SendNotice(parentWidget(), WM_START_DRAW); });
    connect(rehearse_, &QPushButton::clicked, this,
            [this] { SendNotice(parentWidget(), WM_REHEARSE); });
    guide_->setToolTip(QStringLiteral("在浏览器中打开操作指南（F1）"));
    guide_->setAutoDefault(false);
    rehearse_->setAutoDefault(false);
    connect(guide_, &QPushButton::clicked, this,
            [this] { SendNotice(parentWidget(), WM_SHOW_GUIDE); });
}

void ControlBar::resizeEvent(QResizeEvent*) {
    // The start button is always 400 px wide at the right end, even when the bar is narrower.
    const int h = height() - 2 * kMargin;
    start_->setGeometry(width() - kMargin - kButtonWidth, kMargin, kButtonWidth, h);
    rehearse_->setGeometry(start_->x() - kMargin - kRehearseWidth, kMargin, kRehearseWidth, h);
    guide_->setGeometry(rehearse_->x() - kMargin - kGuideWidth, kMargin, kGuideWidth, h);
    status_->setGeometry(kMargin, 2, std::max(0, guide_->x() - 2 * kMargin), height() - 4);
}

void ControlBar::SetDataFolder(const QString& folder) {
    folder_ = QDir::toNativeSeparators(folder);
    ShowFolder();
}

void ControlBar::ShowWarning(const QString& text) {
    warning_ = text;
    status_->setStyleSheet(QStringLiteral("color: #c00000;"));
    status_->setText(text);
    status_->setToolTip(text);
}

void ControlBar::ClearWarning() {
    warning_.clear();
    ShowFolder();
}

void ControlBar::ShowFolder() {
    if (!warning_.isEmpty()) return;
    status_->setStyleSheet(QStringLiteral("color: #505050;"));
    const QString text = folder_.isEmpty() ? QString() : QStringLiteral("数据文件夹：") + folder_;
    // A line may break after '/', never after '\': a zero-width space after each lets a
    // Windows path wrap instead of being cut off.
    QString shown = text;
    shown.replace(QLatin1Char('\\'), QStringLiteral("\\\u200B"));
    status_->setText(shown);
    status_->setToolTip(text);
    setToolTip(text);
}

// Painted straight onto the widget: Qt's backing store already double-buffers it.
void ControlBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgba(0xFFD9D9D9));
}
