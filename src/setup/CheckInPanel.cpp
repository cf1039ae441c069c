#include "setup/CheckInPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>

#include "checkin/CheckInService.h"
#include "checkin/CheckInTokens.h"
#include "model/AppData.h"
#include "show/QrImage.h"
#include "ui/Ui.h"

namespace {

constexpr int kCodeSide = 150;  // the codes on the page: enough for a phone held to the screen

QPixmap Code(const QString& url) {
    if (url.isEmpty()) return QPixmap();
    const QByteArray text = url.toUtf8();
    const int modules = QrImage::ModulesFor(text);
    if (modules == 0) return QPixmap();
    return QPixmap::fromImage(QrImage::Make(text, std::max(1, kCodeSide / modules)));
}

}  // namespace

CheckInPanel::CheckInPanel(AppData& data, QWidget* parent) : QWidget(parent), data_(data) {
    setObjectName(QStringLiteral("CheckInPanel"));
    setAutoFillBackground(true);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 4, 0, 4);
    auto* heading = new QLabel(QStringLiteral("现场签到"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    grid->addWidget(heading, 0, 0, 1, 2);

    enabledBox_ = new QCheckBox(QStringLiteral("开启现场签到（无需互联网）"), this);
    enabledBox_->setToolTip(QStringLiteral("来宾用手机扫码签到，手机与本机连同一个无线网络即可"));
    grid->addWidget(enabledBox_, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("地址"), this), 2, 0);
    auto* addressRow = new QHBoxLayout;
    addressBox_ = new QComboBox(this);
    addressBox_->setMinimumWidth(180);
    addressRow->addWidget(addressBox_, 1);
    addressRow->addWidget(new QLabel(QStringLiteral("端口"), this));
    portBox_ = new QSpinBox(this);
    portBox_->setRange(1024, 65535);
    addressRow->addWidget(portBox_);
    grid->addLayout(addressRow, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("验证"), this), 3, 0);
    methodBox_ = new QComboBox(this);
    methodBox_->addItems({QStringLiteral("工号和姓名"), QStringLiteral("手机号后四位和姓名")});
    grid->addWidget(methodBox_, 3, 1);
    presentOnlyBox_ = new QCheckBox(QStringLiteral("只有已签到的人参加抽奖"), this);
    grid->addWidget(presentOnlyBox_, 4, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    newTokenButton_ = new QPushButton(QStringLiteral("重新生成"), this);
    newTokenButton_->setToolTip(QStringLiteral("换一个签到链接：已打印的二维码随之失效"));
    posterButton_ = new QPushButton(QStringLiteral("打印签到二维码"), this);
    buttons->addWidget(newTokenButton_);
    buttons->addWidget(posterButton_);
    buttons->addStretch(1);
    grid->addLayout(buttons, 5, 0, 1, 2);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(status_, 6, 0, 1, 2);
    count_ = new QLabel(this);
    grid->addWidget(count_, 7, 0, 1, 2);
    grid->setRowStretch(8, 1);

    guestCode_ = new QLabel(this);
    guestCode_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    grid->addWidget(guestCode_, 1, 2, 6, 1);
    auto* guestCaption = new QLabel(QStringLiteral("来宾签到"), this);
    guestCaption->setAlignment(Qt::AlignHCenter);
    grid->addWidget(guestCaption, 7, 2);
    remoteCode_ = new QLabel(this);
    remoteCode_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    grid->addWidget(remoteCode_, 1, 3, 6, 1);
    auto* remoteCaption = new QLabel(QStringLiteral("主持人遥控（只在这里显示）"), this);
    remoteCaption->setAlignment(Qt::AlignHCenter);
    grid->addWidget(remoteCaption, 7, 3);
    grid->setColumnStretch(1, 1);

    const CheckInSettings& s = data_.CheckIn();
    enabledBox_->setChecked(s.enabled);
    portBox_->setValue(s.port);
    methodBox_->setCurrentIndex(s.method);
    presentOnlyBox_->setChecked(s.presentOnly);
    FillAddresses();

    connect(enabledBox_, &QCheckBox::toggled, this, [this](bool on) {
        data_.CheckIn().enabled = on;
        Apply();
    });
    connect(addressBox_, &QComboBox::activated, this, [this](int index) {
        data_.CheckIn().address = addressBox_->itemData(index).toString();
        Apply();
    });
    connect(portBox_, &QSpinBox::editingFinished, this, [this] {
        if (data_.CheckIn().port == portBox_->value()) return;
        data_.CheckIn().port = portBox_->value();
        Apply();
    });
    connect(methodBox_, &QComboBox::activated, this, [this](int index) {
        data_.CheckIn().method = index;
        Apply();
    });
    connect(presentOnlyBox_, &QCheckBox::toggled, this, [this](bool on) {
        data_.CheckIn().presentOnly = on;
        ShowCount();
    });
    connect(newTokenButton_, &QPushButton::clicked, this, &CheckInPanel::NewToken);
    connect(posterButton_, &QPushButton::clicked, this, &CheckInPanel::SavePoster);
    Apply();
}

void CheckInPanel::SetService(CheckInService* service) {
    service_ = service;
    Apply();
}

void CheckInPanel::FillAddresses() {
    addressBox_->clear();
    addressBox_->addItem(QStringLiteral("自动（%1）").arg(CheckInService::DefaultAddress()),
                         QString());
    QStringList addresses = CheckInService::LocalAddresses();
    addresses << QStringLiteral("127.0.0.1");
    const QString chosen = data_.CheckIn().address;
    if (!chosen.isEmpty() && !addresses.contains(chosen) && chosen != QLatin1String("0.0.0.0"))
        addresses << chosen;  // kept, though the laptop no longer has it
    for (const QString& a : addresses) addressBox_->addItem(a, a);
    addressBox_->addItem(QStringLiteral("所有网络（0.0.0.0）"), QStringLiteral("0.0.0.0"));
    const int at = addressBox_->findData(chosen);
    addressBox_->setCurrentIndex(at < 0 ? 0 : at);
}

void CheckInPanel::Apply() {
    const bool on = data_.CheckIn().enabled;
    for (QWidget* w : std::initializer_list<QWidget*>{addressBox_, portBox_, methodBox_,
                                                      presentOnlyBox_, newTokenButton_})
        w->setEnabled(on);
    const bool hadToken = !data_.CheckIn().token.isEmpty();
    QString text;
    if (!service_) {
        text = on ? QStringLiteral("签到服务随程序启动。") : QString();
    } else if (!service_->Apply()) {
        text = service_->Problem();
    } else if (service_->Running()) {
        text = QStringLiteral("来宾扫码后打开：%1\n手机需连接与本机相同的无线网络。")
                   .arg(service_->GuestUrl());
    }
    // A new token is kept at once: the poster printed now must still work after a crash.
    if (!hadToken && !data_.CheckIn().token.isEmpty()) data_.Save(AppData::kSaveData);
    status_->setText(text);
    const bool running = service_ && service_->Running();
    posterButton_->setEnabled(running);
    guestCode_->setPixmap(running ? Code(service_->GuestUrl()) : QPixmap());
    remoteCode_->setPixmap(running ? Code(service_->RemoteUrl()) : QPixmap());
    ShowCount();
}

void CheckInPanel::ShowCount() {
    if (!data_.CheckIn().enabled) {
        count_->clear();
        return;
    }
    size_t everyone = 0;
    for (const auto& c : data_.Candidates()) everyone += !c->excluded;
    QString text = QStringLiteral("已签到 %1 / %2").arg(data_.CheckIns().Count()).arg(everyone);
    if (data_.CheckIn().presentOnly) text += QStringLiteral("，只有已签到的人参加抽奖");
    count_->setText(text);
}

void CheckInPanel::NewToken() {
    if (Ui::Tell(this, QStringLiteral("重新生成后，已经打印或发出的签到二维码都会失效，要继续吗？"),
                 Ui::Icon::Question, Ui::Buttons::YesNo) != Ui::Answer::Yes)
        return;
    data_.CheckIn().token = CheckInTokens::New();
    data_.Save(AppData::kSaveData);
    if (service_) service_->Apply();
    Apply();
}

QImage CheckInPanel::Poster(const QString& title, const QString& url) {
    // A4 at 150 dpi.
    QImage poster(1240, 1754, QImage::Format_RGB32);
    poster.fill(Qt::white);
    QPainter p(&poster);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = p.font();
    font.setPixelSize(72);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0xB0, 0, 0));
    p.drawText(QRect(60, 80, 1120, 200), Qt::AlignCenter | Qt::TextWordWrap,
               title.isEmpty() ? QStringLiteral("现场签到") : title);
    font.setPixelSize(64);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(60, 300, 1120, 100), Qt::AlignCenter, QStringLiteral("扫码签到"));
    const QByteArray text = url.toUtf8();
    const int modules = QrImage::ModulesFor(text);
    if (modules > 0) {
        const QImage code = QrImage::Make(text, 900 / modules);
        p.drawImage((poster.width() - code.width()) / 2, 430, code);
    }
    font.setPixelSize(34);
    font.setBold(false);
    p.setFont(font);
    p.drawText(QRect(60, 1400, 1120, 120), Qt::AlignCenter | Qt::TextWordWrap,
               QStringLiteral("请先连接会场的无线网络，再用手机相机或微信扫码"));
    font.setPixelSize(26);
    p.setFont(font);
    p.setPen(QColor(90, 90, 90));
    p.drawText(QRect(60, 1540, 1120, 80), Qt::AlignCenter | Qt::TextWrapAnywhere, url);
    return poster;
}

void CheckInPanel::SavePoster() {
    if (!service_ || !service_->Running()) return;
    const QString path = Ui::SaveFileName(this, QStringLiteral("PNG图片(*.png)|*.png||"),
                                          QStringLiteral("签到二维码.png"), QStringLiteral("png"));
    if (path.isEmpty()) return;
    if (!Poster(data_.Title(), service_->GuestUrl()).save(path, "PNG"))
        Ui::Tell(this, QStringLiteral("无法保存签到二维码：%1").arg(path), Ui::Icon::Warning);
}
