#include "checkin/ListenAddress.h"

#include <QHostAddress>

#include <cstring>

#include "checkin/Sockets.h"

static_assert(sizeof(sockaddr_in6) <= 128, "storage too small");

bool ListenAddress::Parse(const QString& address, int port) {
    QHostAddress a;
    if (port < 0 || port > 65535 || !a.setAddress(address)) return false;
    std::memset(storage_, 0, sizeof(storage_));
    if (a.protocol() == QAbstractSocket::IPv4Protocol) {
        sockaddr_in in{};
        in.sin_family = AF_INET;
        in.sin_port = htons(quint16(port));
        in.sin_addr.s_addr = htonl(a.toIPv4Address());
        std::memcpy(storage_, &in, sizeof(in));
        ipv6_ = false;
        return true;
    }
    if (a.protocol() == QAbstractSocket::IPv6Protocol) {
        sockaddr_in6 in{};
        in.sin6_family = AF_INET6;
        in.sin6_port = htons(quint16(port));
        const Q_IPV6ADDR bytes = a.toIPv6Address();
        std::memcpy(&in.sin6_addr, bytes.c, sizeof(bytes.c));
        in.sin6_scope_id = a.scopeId().toUInt();
        std::memcpy(storage_, &in, sizeof(in));
        ipv6_ = true;
        return true;
    }
    return false;
}

const sockaddr* ListenAddress::Get() const {
    return reinterpret_cast<const sockaddr*>(storage_);
}

QString ListenAddress::PeerText(const sockaddr* peer) {
    if (!peer) return QString();
    const QHostAddress a(peer);
    // An IPv4 peer on a dual-stack socket counts as its IPv4 address.
    bool ok = false;
    const quint32 v4 = a.toIPv4Address(&ok);
    return ok ? QHostAddress(v4).toString() : a.toString();
}
