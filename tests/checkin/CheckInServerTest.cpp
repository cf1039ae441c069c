#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <memory>
#include <vector>

#include "Guests.h"
#include "TestClient.h"
#include "checkin/CheckInHandler.h"
#include "checkin/CheckInServer.h"
#include "checkin/CheckInTokens.h"
#include "model/CheckInLog.h"
#include "support/TestFolder.h"

namespace {

// The handler behind a real server on 127.0.0.1, a free port.
class ServerTest : public ::testing::Test {
  protected:
    void Start(CheckInServer::Limits limits = {}) {
        handler.SetTokens(event, remote);
        handler.SetRoster(TestRoster());
        server = std::make_unique<CheckInServer>(
            [this](const HttpRequest& r) { return handler.Handle(r); }, limits);
        QString error;
        ASSERT_TRUE(server->Start(QStringLiteral("127.0.0.1"), 0, &error)) << error.toStdString();
        ASSERT_GT(server->Port(), 0);
        port = server->Port();
    }
    TestClient::Reply Exchange(const QByteArray& request, const QByteArray& from = "127.0.0.1") {
        return TestClient::Exchange(from, port, request);
    }
    QByteArray GuestPage() const { return "/c/" + event.toUtf8(); }

    TestFolder folder;
    CheckInLog log{folder.File(CheckInLog::FileName())};
    CheckInHandler handler{log};
    const QString event = CheckInTokens::New();
    const QString remote = CheckInTokens::New();
    std::unique_ptr<CheckInServer> server;
    int port = 0;
};

// A loopback address of its own for client number n (127.0.0.2 and on).
QByteArray Client(int n) {
    return "127.0.0." + QByteArray::number(2 + n);
}

}  // namespace

// No answer sets a cookie or opens itself to other origins; every page is held to a policy
// that lets it talk only to the laptop.
TEST_F(ServerTest, AnswersCarryNoCookieNoCorsAndPagesAPolicy) {
    Start();
    const struct {
        const char* what;
        QByteArray request;
        int status;
        bool html;
    } cases[] = {
        {"guest page", HttpGet(GuestPage()), 200, true},
        {"remote page", HttpGet("/r/" + remote.toUtf8()), 200, true},
        {"refused page", HttpGet("/c/wrong"), 403, true},
        {"check-in", HttpPost("/api/checkin", CheckInBody(event, "A001", "张三")), 200, false},
        {"cross-origin check-in",
         "POST /api/checkin HTTP/1.1\r\nHost: 127.0.0.1\r\nOrigin: http://evil.example\r\n"
         "Content-Length: 2\r\n\r\n{}",
         400, false},
        {"preflight",
         "OPTIONS /api/checkin HTTP/1.1\r\nHost: 127.0.0.1\r\nOrigin: http://evil.example\r\n"
         "Access-Control-Request-Method: POST\r\n\r\n",
         405, false},
        {"unknown path", HttpGet("/favicon.ico"), 404, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TestClient::Reply r = Exchange(c.request);
        EXPECT_EQ(r.status, c.status);
        EXPECT_FALSE(r.HasHeaderStarting("Set-Cookie")) << r.head.toStdString();
        EXPECT_FALSE(r.HasHeaderStarting("Access-Control-")) << r.head.toStdString();
        EXPECT_EQ(r.Header("X-Content-Type-Options"), "nosniff");
        EXPECT_EQ(r.Header("Content-Type").startsWith("text/html"), c.html);
        if (c.html) {
            const QByteArray policy = r.Header("Content-Security-Policy");
            EXPECT_TRUE(policy.contains("default-src 'none'")) << policy.toStdString();
            EXPECT_TRUE(policy.contains("connect-src 'self'")) << policy.toStdString();
        }
    }
}

// The query and the peer's address reach the handler as sent: the status of a ticket is
// found, and each address has its own rate limit.
TEST_F(ServerTest, QueryAndPeerAddressReachTheHandler) {
    Start();
    const TestClient::Reply in =
        Exchange(HttpPost("/api/checkin", CheckInBody(event, "A002", "李四")), "127.0.0.7");
    ASSERT_EQ(in.status, 200);
    const QByteArray ticket = JsonOf(in.body).value(QStringLiteral("ticket")).toString().toUtf8();
    const TestClient::Reply status =
        Exchange(HttpGet("/api/status?token=" + event.toUtf8() + "&ticket=" + ticket));
    ASSERT_EQ(status.status, 200);
    EXPECT_EQ(JsonOf(status.body).value(QStringLiteral("name")).toString(), QStringLiteral("李四"));

    // One connection, kept alive, from one address: 30 answered, then refused.
    TestClient a;
    ASSERT_TRUE(a.Open("127.0.0.8", port));
    for (int i = 0; i < CheckInHandler::kRequestsPerWindow; ++i) {
        ASSERT_TRUE(a.Send(HttpGet(GuestPage())));
        ASSERT_EQ(a.Read(5000).status, 200) << "request " << i + 1;
    }
    ASSERT_TRUE(a.Send(HttpGet(GuestPage())));
    EXPECT_EQ(a.Read(5000).status, 429);
    EXPECT_EQ(Exchange(HttpGet(GuestPage()), "127.0.0.9").status, 200);
}

// A body declared or sent larger than 4 KB is answered 413 before it is read, and the
// connection is closed while most of it was never sent.
TEST_F(ServerTest, OversizedBodiesAreRefusedBeforeTheyAreRead) {
    Start();
    {
        TestClient c;
        ASSERT_TRUE(c.Open("127.0.0.1", port));
        ASSERT_TRUE(
            c.Send("POST /api/checkin HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                   "Content-Length: 1048576\r\n\r\n" +
                   QByteArray(1024, '{')));
        const TestClient::Reply r = c.Read(5000);
        EXPECT_EQ(r.status, 413);
        EXPECT_TRUE(r.closed || c.WaitClosed(5000));
    }
    {
        // Chunked: no length to judge by, so the limit is on what arrives.
        TestClient c;
        ASSERT_TRUE(c.Open("127.0.0.1", port));
        QByteArray request =
            "POST /api/checkin HTTP/1.1\r\nHost: 127.0.0.1\r\nTransfer-Encoding: chunked\r\n\r\n";
        for (int i = 0; i < 5; ++i) request += "400\r\n" + QByteArray(1024, ' ') + "\r\n";
        ASSERT_TRUE(c.Send(request));
        const TestClient::Reply r = c.Read(5000);
        EXPECT_EQ(r.status, 413);
        EXPECT_TRUE(r.closed || c.WaitClosed(5000));
    }
    // Up to the limit a body is read whole.
    const QByteArray body = CheckInBody(event, "A001", "张三").leftJustified(4096, ' ');
    EXPECT_EQ(Exchange(HttpPost("/api/checkin", body)).status, 200);
    EXPECT_EQ(log.Count(), 1u);
}

// Headers past the handler's 8 KB are refused by it; 100,000 of them are refused before they
// are all read, and the server goes on answering.
TEST_F(ServerTest, OversizedHeadersAreRefusedAndTheServerGoesOn) {
    Start();
    QByteArray nine = HttpGet(GuestPage());
    nine.insert(nine.size() - 2, "X-Padding: " + QByteArray(9 * 1024, 'p') + "\r\n");
    EXPECT_EQ(Exchange(nine).status, 431);

    TestClient c;
    ASSERT_TRUE(c.Open("127.0.0.1", port));
    ASSERT_TRUE(c.Send("GET " + GuestPage() + " HTTP/1.1\r\nHost: 127.0.0.1\r\n"));
    QByteArray block;
    for (int i = 0; i < 1000; ++i) block += "X-H" + QByteArray::number(i) + ": v\r\n";
    // Stop sending once the server has answered or closed.
    for (int sent = 0; sent < 100'000 && !c.Readable(0) && c.Send(block);) sent += 1000;
    const TestClient::Reply r = c.Read(5000);
    EXPECT_GE(r.status, 400);
    EXPECT_LT(r.status, 500);
    EXPECT_EQ(Exchange(HttpGet(GuestPage())).status, 200);
}

// A client that sends half a request and waits is closed after the idle time, and so is one
// that sends nothing.
TEST_F(ServerTest, SlowSendersAreClosedAfterTheIdleTime) {
    CheckInServer::Limits limits;
    limits.idleSeconds = 1;
    Start(limits);
    TestClient half, silent;
    ASSERT_TRUE(half.Open("127.0.0.1", port));
    ASSERT_TRUE(silent.Open("127.0.0.1", port));
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(half.Send("GET " + GuestPage() + " HTTP/1.1\r\nHost: 127.0."));
    EXPECT_TRUE(half.WaitClosed(5000));
    EXPECT_TRUE(silent.WaitClosed(5000));
    EXPECT_GE(timer.elapsed(), 900);
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(Exchange(HttpGet(GuestPage())).status, 200);
}

// 32 open connections from one address; the 33rd is closed unanswered while another address
// is still served.
TEST_F(ServerTest, ConnectionsPerAddressAreBounded) {
    Start();
    const unsigned perAddress = CheckInServer::Limits{}.perAddress;
    std::vector<std::unique_ptr<TestClient>> held;
    for (unsigned i = 0; i < perAddress; ++i) {
        held.push_back(std::make_unique<TestClient>());
        ASSERT_TRUE(held.back()->Open("127.0.0.20", port));
        // Answered (200, or 429 past the rate limit): the server holds this connection.
        ASSERT_TRUE(held.back()->Send(HttpGet(GuestPage())));
        ASSERT_NE(held.back()->Read(5000).status, 0) << "connection " << i + 1;
    }
    TestClient extra;
    ASSERT_TRUE(extra.Open("127.0.0.20", port));
    extra.Send(HttpGet(GuestPage()));
    const TestClient::Reply refused = extra.Read(2000);
    EXPECT_EQ(refused.status, 0);
    EXPECT_TRUE(refused.closed);
    EXPECT_EQ(Exchange(HttpGet(GuestPage()), "127.0.0.21").status, 200);

    held.pop_back();
    // The address may open one again once one of its own is closed.
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    while (status == 0 && timer.elapsed() < 5000)
        status = Exchange(HttpGet(GuestPage()), "127.0.0.20").status;
    EXPECT_EQ(status, 429);  // served, and still over its rate limit
}

// 256 connections open (8 each from 32 addresses, each answered once so the server holds it):
// a 257th is not served until one of them closes.
TEST_F(ServerTest, OpenConnectionsAreBounded) {
    CheckInServer::Limits limits;
    limits.idleSeconds = 60;  // the held ones must outlive the test
    Start(limits);
    std::vector<std::unique_ptr<TestClient>> held;
    for (unsigned i = 0; i < limits.connections; ++i) {
        held.push_back(std::make_unique<TestClient>());
        ASSERT_TRUE(held.back()->Open(Client(int(i / 8)), port));
        ASSERT_TRUE(held.back()->Send(HttpGet(GuestPage())));
        ASSERT_EQ(held.back()->Read(5000).status, 200) << "connection " << i + 1;
    }
    TestClient extra;
    ASSERT_TRUE(extra.Open(Client(40), port));
    extra.Send(HttpGet(GuestPage()));
    EXPECT_EQ(extra.Read(1500).status, 0);

    // Once one closes, the waiting one is served (or, were it closed, a new one is).
    held.front().reset();
    TestClient::Reply late = extra.Read(5000);
    if (late.status == 0 && late.closed) late = Exchange(HttpGet(GuestPage()), Client(41));
    EXPECT_EQ(late.status, 200);
}
