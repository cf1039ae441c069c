#include "TestClient.h"

#include <QElapsedTimer>
#include <QList>

#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using SocketHandle = SOCKET;
using Length = int;
namespace {
int PollSockets(WSAPOLLFD* fds, unsigned long n, int ms) {
    return WSAPoll(fds, n, ms);
}
using PollFd = WSAPOLLFD;
constexpr int kNoSignal = 0;
void CloseSocket(SocketHandle s) {
    closesocket(s);
}
struct Startup {
    Startup() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
} startup;
}  // namespace
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
using SocketHandle = int;
using Length = size_t;
namespace {
int PollSockets(pollfd* fds, nfds_t n, int ms) {
    return poll(fds, n, ms);
}
using PollFd = pollfd;
constexpr int kNoSignal = MSG_NOSIGNAL;  // a closed peer is an answer here, not a signal
void CloseSocket(SocketHandle s) {
    close(s);
}
}  // namespace
#endif

namespace {

sockaddr_in Loopback(const char* address, int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    inet_pton(AF_INET, address, &a.sin_addr);
    return a;
}

// How much of buffer is one whole answer; 0 while it is not yet whole.
qsizetype WholeAnswer(const QByteArray& buffer) {
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0) return 0;
    const QByteArray head = buffer.left(end).toLower();
    const qsizetype at = head.indexOf("\r\ncontent-length:");
    if (at < 0) return 0;  // read to the close
    const qsizetype valueStart = at + qsizetype(std::strlen("\r\ncontent-length:"));
    const qsizetype valueEnd = head.indexOf("\r\n", valueStart);
    const qsizetype length =
        head.mid(valueStart, valueEnd < 0 ? -1 : valueEnd - valueStart).trimmed().toLongLong();
    const qsizetype total = end + 4 + length;
    return buffer.size() >= total ? total : 0;
}

TestClient::Reply Parse(const QByteArray& answer, bool closed) {
    TestClient::Reply r;
    r.closed = closed;
    const qsizetype end = answer.indexOf("\r\n\r\n");
    r.head = end < 0 ? answer : answer.left(end);
    r.body = end < 0 ? QByteArray() : answer.mid(end + 4);
    const QList<QByteArray> status = r.head.left(r.head.indexOf("\r\n")).split(' ');
    if (status.size() >= 2 && status[0].startsWith("HTTP/")) r.status = status[1].toInt();
    return r;
}

}  // namespace

QByteArray TestClient::Reply::Header(const QByteArray& name) const {
    for (const QByteArray& line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

bool TestClient::Reply::HasHeaderStarting(const QByteArray& prefix) const {
    for (const QByteArray& line : head.split('\n'))
        if (line.trimmed().toLower().startsWith(prefix.toLower())) return true;
    return false;
}

TestClient::~TestClient() {
    Close();
}

bool TestClient::Open(const QByteArray& from, int port) {
    Close();
    const SocketHandle s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (intptr_t(s) == -1) return false;
    const sockaddr_in local = Loopback(from.constData(), 0);
    const sockaddr_in server = Loopback("127.0.0.1", port);
    if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0 ||
        connect(s, reinterpret_cast<const sockaddr*>(&server), sizeof(server)) != 0) {
        CloseSocket(s);
        return false;
    }
    socket_ = intptr_t(s);
    return true;
}

void TestClient::Close() {
    if (socket_ == -1) return;
    CloseSocket(SocketHandle(socket_));
    socket_ = -1;
    pending_.clear();
}

bool TestClient::IsOpen() const {
    return socket_ != -1;
}

bool TestClient::Send(const QByteArray& bytes) {
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const auto n = send(SocketHandle(socket_), bytes.constData() + sent,
                            Length(bytes.size() - sent), kNoSignal);
        if (n <= 0) return false;
        sent += qsizetype(n);
    }
    return true;
}

bool TestClient::Readable(int timeoutMs) {
    if (!pending_.isEmpty()) return true;
    PollFd p{};
    p.fd = SocketHandle(socket_);
    p.events = POLLIN;
    return PollSockets(&p, 1, timeoutMs) > 0;
}

TestClient::Reply TestClient::Read(int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    QByteArray& buffer = pending_;
    bool closed = false;
    while (!WholeAnswer(buffer)) {
        const int left = int(timeoutMs - timer.elapsed());
        if (left <= 0 || !Readable(left)) break;
        char chunk[16384];
        const auto n = recv(SocketHandle(socket_), chunk, sizeof(chunk), 0);
        if (n <= 0) {
            closed = true;
            break;
        }
        buffer.append(chunk, qsizetype(n));
    }
    const qsizetype whole = WholeAnswer(buffer);
    const QByteArray answer = whole ? buffer.left(whole) : buffer;
    buffer.remove(0, answer.size());
    return Parse(answer, closed);
}

bool TestClient::WaitClosed(int timeoutMs) {
    pending_.clear();
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const int left = int(timeoutMs - timer.elapsed());
        if (left <= 0 || !Readable(left)) return false;
        char chunk[16384];
        if (recv(SocketHandle(socket_), chunk, sizeof(chunk), 0) <= 0) return true;
    }
}

TestClient::Reply TestClient::Exchange(const QByteArray& from, int port, const QByteArray& request,
                                       int timeoutMs) {
    TestClient c;
    if (!c.Open(from, port) || !c.Send(request)) return Reply{0, {}, {}, true};
    return c.Read(timeoutMs);
}

QByteArray HttpGet(const QByteArray& target) {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

QByteArray HttpPost(const QByteArray& target, const QByteArray& body) {
    return "POST " + target +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}
