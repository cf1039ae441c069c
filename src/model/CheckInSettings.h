#pragma once

#include <QString>

// How guests check in by phone on the local network. Off unless the operator turns it on: a
// network service never starts unasked.
struct CheckInSettings {
    static constexpr int kDefaultPort = 8765;
    enum Method { kWorkNumberAndName = 0, kPhoneDigitsAndName = 1 };

    bool enabled = false;
    // One of the laptop's own addresses; empty: the first private IPv4 address, else loopback.
    QString address;
    int port = kDefaultPort;
    int method = kWorkNumberAndName;
    // Only those checked in take part (while check-in is on).
    bool presentOnly = true;
    // The event token in the guests' link: made once and kept, so a poster printed in the
    // afternoon still works in the evening.
    QString token;

    bool LimitsToPresent() const { return enabled && presentOnly; }
};
