#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>

// One blocking TCP connection to the service, from a chosen loopback address (the whole of
// 127/8 is the loopback, so each test client can be an address of its own).
class TestClient {
  public:
    struct Reply {
        int status = 0;  // 0: no whole status line arrived
        QByteArray head;
        QByteArray body;
        bool closed = false;  // the server closed (or reset) the connection

        QByteArray Header(const QByteArray& name) const;
        bool HasHeaderStarting(const QByteArray& prefix) const;
    };

    TestClient() = default;
    ~TestClient();
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    // Connects from `from` to 127.0.0.1:port.
    bool Open(const QByteArray& from, int port);
    void Close();
    bool IsOpen() const;
    // False once the peer has closed or reset the connection.
    bool Send(const QByteArray& bytes);
    // Reads one answer: until its body is whole, the connection closes or the time is up.
    Reply Read(int timeoutMs);
    // Waits for the server to close the connection, discarding what it sends; false when it
    // is still open after timeoutMs.
    bool WaitClosed(int timeoutMs);
    // Whether bytes or a close are waiting to be read within timeoutMs.
    bool Readable(int timeoutMs);

    // One request on a new connection, answer read.
    static Reply Exchange(const QByteArray& from, int port, const QByteArray& request,
                          int timeoutMs = 5000);

  private:
    intptr_t socket_ = -1;
    QByteArray pending_;  // bytes read past the last answer
};

QByteArray HttpGet(const QByteArray& target);
QByteArray HttpPost(const QByteArray& target, const QByteArray& body);
