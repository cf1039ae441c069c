#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <atomic>
#include <thread>
#include <vector>

#include "Guests.h"
#include "checkin/CheckInHandler.h"
#include "checkin/CheckInTokens.h"
#include "model/CheckInLog.h"
#include "support/TestFolder.h"

namespace {

HttpRequest Request(const QByteArray& method, const QByteArray& path, const QByteArray& body = {},
                    size_t headerBytes = 200, bool bodyTooLarge = false) {
    HttpRequest r;
    r.method = method;
    r.path = path;
    r.body = body;
    r.client = QStringLiteral("10.0.0.1");
    r.headerBytes = headerBytes;
    r.bodyTooLarge = bodyTooLarge;
    return r;
}

class HandlerTest : public ::testing::Test {
  protected:
    HandlerTest() {
        handler.SetTokens(event, remote);
        handler.SetRoster(TestRoster());
        handler.SetCallbacks([this](int32_t id) { checkedIn.push_back(id); }, [this] { ++steps; });
    }

    HttpResponse Post(const QByteArray& path, const QByteArray& body,
                      const QString& client = QStringLiteral("10.0.0.1")) {
        HttpRequest r = Request("POST", path, body);
        r.client = client;
        return handler.Handle(r);
    }
    HttpResponse Get(const QByteArray& path, const QByteArray& query = {},
                     const QString& client = QStringLiteral("10.0.0.1")) {
        HttpRequest r = Request("GET", path);
        r.query = query;
        r.client = client;
        return handler.Handle(r);
    }
    HttpResponse CheckIn(const QString& id, const QString& name) {
        return Post("/api/checkin", CheckInBody(event, id, name));
    }
    QByteArray StatusQuery(const QString& ticket) const {
        return "token=" + event.toUtf8() + "&ticket=" + QUrl::toPercentEncoding(ticket);
    }
    QByteArray RemoteBody(const QString& token, const QString& action) const {
        return QJsonDocument(QJsonObject{{QStringLiteral("token"), token},
                                         {QStringLiteral("action"), action}})
            .toJson(QJsonDocument::Compact);
    }
    void RunShow(std::vector<int32_t> room) {
        auto show = std::make_shared<ShowBoard>();
        show->running = true;
        show->fingerprint = QStringLiteral("7F3A-19C2");
        show->room = std::move(room);
        show->screen = QStringLiteral("抽奖中");
        show->prize = QStringLiteral("一等奖");
        show->won.emplace(1, QStringLiteral("一等奖 笔记本电脑"));
        handler.SetShow(show);
    }

    TestFolder folder;
    CheckInLog log{folder.File(CheckInLog::FileName())};
    int64_t now = 1'000'000;
    CheckInHandler handler{log, [this] { return now; }};
    const QString event = CheckInTokens::New();
    const QString remote = CheckInTokens::New();
    std::vector<int32_t> checkedIn;
    int steps = 0;
};

struct Hostile {
    const char* what;
    HttpRequest request;
    int status;
};

// A token as long as the real one with other letters, so only the comparison can refuse it.
QString Altered(const QString& token) {
    QString t = token;
    t[5] = t[5] == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
    return t;
}

QByteArray Fields(const QByteArray& token, const QByteArray& id, const QByteArray& name) {
    return "{\"token\":" + token + ",\"id\":" + id + ",\"name\":" + name + "}";
}

}  // namespace

// Every hostile request gets its status, {"ok":false} where it is JSON, and changes nothing:
// no line in the file, no check-in told, no step taken.
TEST_F(HandlerTest, HostileRequestsAreRefusedAndChangeNothing) {
    const QByteArray t = '"' + event.toUtf8() + '"';
    const QByteArray longText = '"' + QByteArray(65, 'a') + '"';
    const QByteArray longChinese = '"' + QString(65, QChar(0x5F20)).toUtf8() + '"';
    const std::vector<Hostile> cases = {
        {"wrong token",
         Request("POST", "/api/checkin", CheckInBody(Altered(event), "A001", "张三")), 403},
        {"the remote token as the event's",
         Request("POST", "/api/checkin", CheckInBody(remote, "A001", "张三")), 403},
        {"no token", Request("POST", "/api/checkin", Fields("\"\"", "\"A001\"", "\"张三\"")), 403},
        {"1 MB body, cut off by the server", Request("POST", "/api/checkin", {}, 200, true), 413},
        {"body one byte over the limit",
         Request("POST", "/api/checkin",
                 CheckInBody(event, "A001", "张三").leftJustified(4097, ' ')),
         413},
        {"headers over 8 KB",
         Request("POST", "/api/checkin", CheckInBody(event, "A001", "张三"), 8 * 1024 + 1), 431},
        {"broken JSON", Request("POST", "/api/checkin", "{\"token\":" + t + ",\"id\":\"A0"), 400},
        {"JSON array", Request("POST", "/api/checkin", "[" + t + ",\"A001\",\"张三\"]"), 400},
        {"empty body", Request("POST", "/api/checkin"), 400},
        {"number id", Request("POST", "/api/checkin", Fields(t, "1", "\"张三\"")), 400},
        {"array name", Request("POST", "/api/checkin", Fields(t, "\"A001\"", "[\"张三\"]")), 400},
        {"null name", Request("POST", "/api/checkin", Fields(t, "\"A001\"", "null")), 400},
        {"object token",
         Request("POST", "/api/checkin", Fields("{\"t\":" + t + "}", "\"A001\"", "\"张三\"")), 400},
        {"missing name", Request("POST", "/api/checkin", "{\"token\":" + t + ",\"id\":\"A001\"}"),
         400},
        {"id of 65 letters", Request("POST", "/api/checkin", Fields(t, longText, "\"张三\"")), 400},
        {"name of 65 characters",
         Request("POST", "/api/checkin", Fields(t, "\"A001\"", longChinese)), 400},
        {"markup for a name",
         Request("POST", "/api/checkin", CheckInBody(event, "A001", "<script>alert(1)</script>")),
         404},
        {"two people with the same name and 工号",
         Request("POST", "/api/checkin", CheckInBody(event, "A003", "王五")), 404},
        {"right name, someone else's 工号",
         Request("POST", "/api/checkin", CheckInBody(event, "A002", "张三")), 404},
        {"blank fields", Request("POST", "/api/checkin", CheckInBody(event, "  ", " ")), 404},
        {"GET of the check-in", Request("GET", "/api/checkin", CheckInBody(event, "A001", "张三")),
         405},
        {"POST of a page", Request("POST", "/c/" + event.toUtf8()), 405},
        {"unknown path", Request("GET", "/api/../c/" + event.toUtf8()), 404},
    };
    for (const Hostile& c : cases) {
        SCOPED_TRACE(c.what);
        HttpRequest r = c.request;
        r.client = QStringLiteral("10.1.0.%1").arg(&c - cases.data());  // under the rate limit
        const HttpResponse answer = handler.Handle(r);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_EQ(JsonOf(answer.body).value(QStringLiteral("ok")), QJsonValue(false));
    }
    EXPECT_EQ(log.Count(), 0u);
    EXPECT_TRUE(checkedIn.empty());
    EXPECT_FALSE(QFileInfo::exists(log.Path()));
    EXPECT_EQ(steps, 0);
}

// The limit is on characters, not bytes: 64 Chinese characters are a field still read.
TEST_F(HandlerTest, FieldsOfSixtyFourCharactersAreRead) {
    EXPECT_EQ(CheckIn(QString(64, QLatin1Char('1')), QString(64, QChar(0x5F20))).status, 404);
}

TEST_F(HandlerTest, PagesNeedTheirOwnToken) {
    const struct {
        QByteArray path;
        int status;
        bool remotePage;
    } cases[] = {
        {"/c/" + event.toUtf8(), 200, false},
        {"/r/" + remote.toUtf8(), 200, true},
        {"/c/" + remote.toUtf8(), 403, false},
        {"/r/" + event.toUtf8(), 403, false},
        {"/c/" + Altered(event).toUtf8(), 403, false},
        {"/c/" + event.toUtf8() + "x", 403, false},
        {"/c/", 403, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const HttpResponse answer = Get(c.path);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_TRUE(answer.contentType.startsWith("text/html"));
        EXPECT_EQ(answer.body.contains("下一步"), c.remotePage);
        EXPECT_EQ(answer.body.contains("签到成功"), c.status == 200 && !c.remotePage);
    }
}

// "ok" is answered only once the check-in is in the file: a new log read from it has it.
TEST_F(HandlerTest, CheckInIsOnDiskWhenAnsweredAndOnceOnly) {
    const HttpResponse first = CheckIn(QStringLiteral("A001"), QStringLiteral("张三"));
    ASSERT_EQ(first.status, 200);
    const QJsonObject a = JsonOf(first.body);
    EXPECT_EQ(a.value(QStringLiteral("ok")), QJsonValue(true));
    EXPECT_EQ(a.value(QStringLiteral("name")).toString(), QStringLiteral("张三"));
    EXPECT_EQ(a.value(QStringLiteral("department")).toString(), QStringLiteral("销售部"));
    EXPECT_FALSE(a.contains(QStringLiteral("already")));
    EXPECT_TRUE(CheckInLog(log.Path()).Contains(1));
    EXPECT_EQ(checkedIn, std::vector<int32_t>{1});

    // Typed differently (full-width, spaces, case) it is still the same guest, checked in.
    const HttpResponse second = CheckIn(QStringLiteral(" ａ００１ "), QStringLiteral("张 三"));
    ASSERT_EQ(second.status, 200);
    const QJsonObject b = JsonOf(second.body);
    EXPECT_EQ(b.value(QStringLiteral("already")), QJsonValue(true));
    EXPECT_EQ(b.value(QStringLiteral("ticket")), a.value(QStringLiteral("ticket")));
    EXPECT_EQ(log.Count(), 1u);
    EXPECT_EQ(checkedIn, std::vector<int32_t>{1});

    // Same name, other 工号: another person.
    ASSERT_EQ(CheckIn(QStringLiteral("A006"), QStringLiteral("王五")).status, 200);
    EXPECT_EQ(checkedIn, (std::vector<int32_t>{1, 6}));
}

// A name that looks like markup reaches the page only as a JSON string, content type JSON.
TEST_F(HandlerTest, MarkupNameTravelsAsAJsonString) {
    const HttpResponse answer = CheckIn(QStringLiteral("A005"), QStringLiteral("<b>x</b>"));
    ASSERT_EQ(answer.status, 200);
    EXPECT_TRUE(answer.contentType.startsWith("application/json"));
    EXPECT_EQ(JsonOf(answer.body).value(QStringLiteral("name")).toString(),
              QStringLiteral("<b>x</b>"));
    EXPECT_EQ(answer.body.count("<b>"), 1);
    EXPECT_TRUE(answer.body.contains("\"name\":\"<b>x</b>\""));
}

TEST_F(HandlerTest, StatusByTicketTellsTheShow) {
    const QString ticket = JsonOf(CheckIn(QStringLiteral("A001"), QStringLiteral("张三")).body)
                               .value(QStringLiteral("ticket"))
                               .toString();
    const QString other = JsonOf(CheckIn(QStringLiteral("A002"), QStringLiteral("李四")).body)
                              .value(QStringLiteral("ticket"))
                              .toString();
    ASSERT_FALSE(ticket.isEmpty());
    ASSERT_NE(ticket, other);

    QJsonObject s = JsonOf(Get("/api/status", StatusQuery(ticket)).body);
    EXPECT_EQ(s.value(QStringLiteral("name")).toString(), QStringLiteral("张三"));
    EXPECT_EQ(s.value(QStringLiteral("checkedIn")), QJsonValue(true));
    EXPECT_FALSE(s.contains(QStringLiteral("fingerprint")));

    RunShow({1, 3});
    s = JsonOf(Get("/api/status", StatusQuery(ticket)).body);
    EXPECT_EQ(s.value(QStringLiteral("fingerprint")).toString(), QStringLiteral("7F3A-19C2"));
    EXPECT_EQ(s.value(QStringLiteral("inPool")), QJsonValue(true));
    EXPECT_EQ(s.value(QStringLiteral("won")).toString(), QStringLiteral("一等奖 笔记本电脑"));
    const QJsonObject o = JsonOf(Get("/api/status", StatusQuery(other)).body);
    EXPECT_EQ(o.value(QStringLiteral("name")).toString(), QStringLiteral("李四"));
    EXPECT_EQ(o.value(QStringLiteral("inPool")), QJsonValue(false));
    EXPECT_FALSE(o.contains(QStringLiteral("won")));

    const struct {
        const char* what;
        QByteArray query;
        int status;
    } refused[] = {
        {"wrong token", "token=" + Altered(event).toUtf8() + "&ticket=" + ticket.toUtf8(), 403},
        {"no token", "ticket=" + ticket.toUtf8(), 403},
        {"unknown ticket", StatusQuery(CheckInTokens::New()), 404},
        {"no ticket", "token=" + event.toUtf8(), 404},
        {"the event token as ticket", StatusQuery(event), 404},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        const HttpResponse answer = Get("/api/status", c.query);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_FALSE(answer.body.contains("张三"));
    }
}

TEST_F(HandlerTest, RemoteStepsOncePerRequestAndOnlyDuringAShow) {
    const HttpResponse early = Post("/api/remote", RemoteBody(remote, QStringLiteral("step")));
    EXPECT_EQ(early.status, 409);
    EXPECT_EQ(steps, 0);

    RunShow({1});
    for (int i = 1; i <= 3; ++i) {
        const HttpResponse answer = Post("/api/remote", RemoteBody(remote, QStringLiteral("step")));
        EXPECT_EQ(answer.status, 200);
        EXPECT_EQ(steps, i);
    }
    const QJsonObject state =
        JsonOf(Post("/api/remote", RemoteBody(remote, QStringLiteral("state"))).body);
    EXPECT_EQ(state.value(QStringLiteral("running")), QJsonValue(true));
    EXPECT_EQ(state.value(QStringLiteral("screen")).toString(), QStringLiteral("抽奖中"));
    EXPECT_EQ(state.value(QStringLiteral("prize")).toString(), QStringLiteral("一等奖"));

    const struct {
        const char* what;
        QByteArray body;
        int status;
    } refused[] = {
        {"the event token", RemoteBody(event, QStringLiteral("step")), 403},
        {"a wrong token", RemoteBody(Altered(remote), QStringLiteral("step")), 403},
        {"unknown action", RemoteBody(remote, QStringLiteral("back")), 400},
        {"number action", "{\"token\":\"" + remote.toUtf8() + "\",\"action\":1}", 400},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Post("/api/remote", c.body).status, c.status);
    }
    EXPECT_EQ(steps, 3);
}

// 30 requests in 10 s from one address; the 31st is refused, another address is not, and
// the address may go on once the window has passed.
TEST_F(HandlerTest, RateLimitIsPerAddressAndRefills) {
    const QByteArray page = "/c/" + event.toUtf8();
    const QString a = QStringLiteral("192.168.1.20");
    const QString b = QStringLiteral("192.168.1.21");
    for (int i = 0; i < CheckInHandler::kRequestsPerWindow; ++i) {
        now += 100;
        ASSERT_EQ(Get(page, {}, a).status, 200) << "request " << i + 1;
    }
    now += 100;
    EXPECT_EQ(Get(page, {}, a).status, 429);
    // A refused check-in is not written.
    EXPECT_EQ(Post("/api/checkin", CheckInBody(event, "A001", "张三"), a).status, 429);
    EXPECT_EQ(log.Count(), 0u);
    EXPECT_EQ(Get(page, {}, b).status, 200);

    now += CheckInHandler::kWindowMs;
    for (int i = 0; i < CheckInHandler::kRequestsPerWindow; ++i)
        ASSERT_EQ(Get(page, {}, a).status, 200) << "after the window, request " << i + 1;
    EXPECT_EQ(Get(page, {}, a).status, 429);
}

// When the check-in cannot be written the guest is told so (503), never "ok", and the next
// try is not taken for a second check-in.
TEST(HandlerLogFailure, UnwritableLogAnswers503) {
    TestFolder folder;
    ASSERT_TRUE(QDir(folder.Path()).mkdir(QStringLiteral("taken.jsonl")));
    const QString paths[] = {folder.File(QStringLiteral("missing/checkin.jsonl")),
                             folder.File(QStringLiteral("taken.jsonl"))};
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        CheckInLog log(path);
        CheckInHandler handler(log);
        const QString event = CheckInTokens::New();
        handler.SetTokens(event, CheckInTokens::New());
        handler.SetRoster(TestRoster());
        int told = 0;
        handler.SetCallbacks([&](int32_t) { ++told; }, {});
        for (int attempt = 0; attempt < 2; ++attempt) {
            const HttpResponse answer =
                handler.Handle(Request("POST", "/api/checkin", CheckInBody(event, "A001", "张三")));
            EXPECT_EQ(answer.status, 503);
            EXPECT_EQ(JsonOf(answer.body).value(QStringLiteral("ok")), QJsonValue(false));
        }
        EXPECT_EQ(log.Count(), 0u);
        EXPECT_EQ(told, 0);
    }
}

// Guests checking in at once on the service's threads: each answered "ok" once, each in the
// file, the file whole.
TEST(HandlerThreads, ConcurrentCheckInsAreAllKept) {
    TestFolder folder;
    auto roster = std::make_shared<CheckInRoster>();
    constexpr int kThreads = 4, kEach = 40;
    for (int id = 0; id < kThreads * kEach; ++id)
        roster->Add({id, QStringLiteral("客人%1").arg(id), {}}, QStringLiteral("B%1").arg(id));
    const QString event = CheckInTokens::New();
    std::atomic<int> told{0}, ok{0};
    {
        CheckInLog log(folder.File(CheckInLog::FileName()));
        CheckInHandler handler(log);
        handler.SetTokens(event, CheckInTokens::New());
        handler.SetRoster(roster);
        handler.SetCallbacks([&](int32_t) { ++told; }, {});
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                for (int i = 0; i < kEach; ++i) {
                    const int id = t * kEach + i;
                    HttpRequest r = Request("POST", "/api/checkin",
                                            CheckInBody(event, QStringLiteral("B%1").arg(id),
                                                        QStringLiteral("客人%1").arg(id)));
                    r.client = QStringLiteral("10.2.%1.%2").arg(t).arg(i);
                    if (handler.Handle(r).status == 200) ++ok;
                }
            });
        for (std::thread& t : threads) t.join();
    }
    EXPECT_EQ(ok, kThreads * kEach);
    EXPECT_EQ(told, kThreads * kEach);
    const CheckInLog reread(folder.File(CheckInLog::FileName()));
    EXPECT_EQ(reread.Count(), size_t(kThreads * kEach));
}
