#pragma once

#include <QString>

#include <cstddef>

struct sockaddr;

// A numeric address and port as the socket calls take them; the headers differ by system.
class ListenAddress {
  public:
    // False when address is not a numeric IPv4 or IPv6 address.
    bool Parse(const QString& address, int port);
    const sockaddr* Get() const;
    bool IsIpv6() const { return ipv6_; }
    // The text of a peer's address ("192.168.1.20"); empty when it cannot be read.
    static QString PeerText(const sockaddr* peer);

  private:
    alignas(8) unsigned char storage_[128] = {};
    bool ipv6_ = false;
};
