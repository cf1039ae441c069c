#pragma once

#include <QByteArray>
#include <QString>

// One request as the service hands it to the handler, and its answer: plain values, so the
// handling is tested and fuzzed without sockets.
struct HttpRequest {
    QByteArray method;
    QByteArray path;   // without the query
    QByteArray query;  // after '?', undecoded
    QByteArray body;
    QString client;  // the peer's address
    size_t headerBytes = 0;
    bool bodyTooLarge = false;  // more arrived than the limit; body holds none of it
};

struct HttpResponse {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
};
