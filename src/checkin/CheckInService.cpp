#include "checkin/CheckInService.h"

#include <QDebug>
#include <QHostAddress>
#include <QMetaObject>
#include <QNetworkInterface>

#include "checkin/CheckInHandler.h"
#include "checkin/CheckInRoster.h"
#include "checkin/CheckInServer.h"
#include "checkin/CheckInTokens.h"
#include "model/AppData.h"

namespace {

bool IsPrivateIpv4(const QHostAddress& a) {
    return a.isInSubnet(QHostAddress(QStringLiteral("10.0.0.0")), 8) ||
           a.isInSubnet(QHostAddress(QStringLiteral("172.16.0.0")), 12) ||
           a.isInSubnet(QHostAddress(QStringLiteral("192.168.0.0")), 16);
}

}  // namespace

CheckInService::CheckInService(AppData& data, QObject* parent)
    : QObject(parent),
      data_(data),
      handler_(std::make_unique<CheckInHandler>(data.CheckIns())),
      remoteToken_(CheckInTokens::New()) {
    // Queued: these come from the server's threads.
    handler_->SetCallbacks(
        [this](int32_t id) {
            QMetaObject::invokeMethod(
                this, [this, id] { emit checkedIn(id); }, Qt::QueuedConnection);
        },
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { emit remoteStep(); }, Qt::QueuedConnection);
        });
    server_ = std::make_unique<CheckInServer>(
        [this](const HttpRequest& r) { return handler_->Handle(r); });
}

CheckInService::~CheckInService() {
    server_->Stop();  // before the handler it calls goes
}

QStringList CheckInService::LocalAddresses() {
    QStringList privateV4, otherV4, v6;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        const auto flags = i.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& e : i.addressEntries()) {
            const QHostAddress a = e.ip();
            if (a.isLoopback() || a.isNull()) continue;
            if (a.protocol() == QAbstractSocket::IPv4Protocol)
                (IsPrivateIpv4(a) ? privateV4 : otherV4).append(a.toString());
            else if (a.protocol() == QAbstractSocket::IPv6Protocol && !a.isLinkLocal())
                v6.append(a.toString());
        }
    }
    return privateV4 + otherV4 + v6;
}

QString CheckInService::DefaultAddress() {
    for (const QString& a : LocalAddresses())
        if (IsPrivateIpv4(QHostAddress(a))) return a;
    return QStringLiteral("127.0.0.1");
}

bool CheckInService::Apply() {
    problem_.clear();
    CheckInSettings& settings = data_.CheckIn();
    if (!settings.enabled) {
        server_->Stop();
        address_.clear();
        return true;
    }
    if (settings.token.isEmpty()) settings.token = CheckInTokens::New();
    handler_->SetTokens(settings.token, remoteToken_);
    handler_->SetMethod(settings.method);
    RefreshRoster();
    // The chosen address, when the laptop still has it; never every interface unasked.
    QString address = settings.address;
    if (address.isEmpty() ||
        (!LocalAddresses().contains(address) && address != QLatin1String("127.0.0.1") &&
         address != QLatin1String("0.0.0.0")))
        address = DefaultAddress();
    if (server_->Running() && address == address_ && server_->Port() == settings.port) return true;
    address_ = address;
    if (!server_->Start(address, settings.port, &problem_)) {
        address_.clear();
        return false;
    }
    // The operator's log: where guests and the host's phone go.
    qInfo().noquote() << "check-in:" << GuestUrl() << "remote:" << RemoteUrl();
    return true;
}

bool CheckInService::Running() const {
    return server_->Running();
}

int CheckInService::Port() const {
    return server_->Port();
}

QString CheckInService::UrlHost() const {
    // Listening on every interface, the phones still need one address to reach.
    const QString a = address_ == QLatin1String("0.0.0.0") ? DefaultAddress() : address_;
    return a.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(a) : a;
}

QString CheckInService::GuestUrl() const {
    if (!Running()) return QString();
    const QString host = UrlHost();
    return QStringLiteral("http://%1:%2/c/%3").arg(host).arg(Port()).arg(data_.CheckIn().token);
}

QString CheckInService::RemoteUrl() const {
    if (!Running()) return QString();
    const QString host = UrlHost();
    return QStringLiteral("http://%1:%2/r/%3").arg(host).arg(Port()).arg(remoteToken_);
}

void CheckInService::RefreshRoster() {
    handler_->SetRoster(CheckInRoster::FromModel(data_, data_.CheckIn().method));
    handler_->SetMethod(data_.CheckIn().method);
}

void CheckInService::SetShow(const ShowBoard& show) {
    handler_->SetShow(std::make_shared<ShowBoard>(show));
}
