#include "checkin/CheckInHandler.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>

#include <algorithm>

#include "checkin/CheckInTokens.h"
#include "checkin/GuestPages.h"
#include "model/CheckInLog.h"

namespace {

constexpr size_t kMaxAddresses = 65536;

HttpResponse Json(int status, const QJsonObject& o) {
    return HttpResponse{status, QByteArrayLiteral("application/json; charset=utf-8"),
                        QJsonDocument(o).toJson(QJsonDocument::Compact)};
}

HttpResponse Failure(int status) {
    return Json(status, QJsonObject{{QStringLiteral("ok"), false}});
}

HttpResponse Html(int status, const QByteArray& page) {
    return HttpResponse{status, QByteArrayLiteral("text/html; charset=utf-8"), page};
}

// The body as a JSON object whose named fields are all strings of at most kMaxFieldChars;
// false for anything else.
bool ReadFields(const QByteArray& body, std::initializer_list<const char*> names,
                QHash<QString, QString>& out) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return false;
    const QJsonObject o = doc.object();
    for (const char* name : names) {
        const QJsonValue v = o.value(QLatin1String(name));
        if (!v.isString()) return false;
        const QString text = v.toString();
        if (text.size() > CheckInHandler::kMaxFieldChars) return false;
        out.insert(QLatin1String(name), text);
    }
    return true;
}

QByteArray QueryValue(const QByteArray& query, const char* name) {
    const QUrlQuery q(QString::fromUtf8(query.left(512)));
    return q.queryItemValue(QLatin1String(name), QUrl::FullyDecoded).toUtf8();
}

}  // namespace

CheckInHandler::CheckInHandler(CheckInLog& log, Clock clock)
    : log_(log),
      clock_(clock ? std::move(clock) : Clock([] {
          return int64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count());
      })),
      limiter_(kRequestsPerWindow, kWindowMs, kMaxAddresses),
      roster_(std::make_shared<CheckInRoster>()),
      show_(std::make_shared<ShowBoard>()) {}

void CheckInHandler::SetTokens(const QString& event, const QString& remote) {
    std::lock_guard<std::mutex> lock(mutex_);
    eventToken_ = event;
    remoteToken_ = remote;
}

void CheckInHandler::SetMethod(int method) {
    std::lock_guard<std::mutex> lock(mutex_);
    method_ = method;
}

void CheckInHandler::SetRoster(std::shared_ptr<const CheckInRoster> roster) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Tickets stay: a guest's page keeps working while the operator edits the list (a ticket
    // whose candidate left the list finds nobody).
    roster_ = roster ? std::move(roster) : std::make_shared<CheckInRoster>();
}

void CheckInHandler::SetShow(std::shared_ptr<const ShowBoard> show) {
    std::lock_guard<std::mutex> lock(mutex_);
    show_ = show ? std::move(show) : std::make_shared<ShowBoard>();
}

void CheckInHandler::SetCallbacks(std::function<void(int32_t)> checkedIn,
                                  std::function<void()> step) {
    std::lock_guard<std::mutex> lock(mutex_);
    checkedIn_ = std::move(checkedIn);
    step_ = std::move(step);
}

HttpResponse CheckInHandler::Handle(const HttpRequest& request) {
    if (request.headerBytes > kMaxHeaderBytes) return Failure(431);
    if (!limiter_.Allow(request.client, clock_())) return Failure(429);
    if (request.bodyTooLarge || size_t(request.body.size()) > kMaxBodyBytes) return Failure(413);

    const QByteArray& path = request.path;
    const bool get = request.method == "GET" || request.method == "HEAD";
    const bool post = request.method == "POST";
    if (path.startsWith("/c/") || path.startsWith("/r/")) {
        if (!get) return Failure(405);
        const bool guest = path.startsWith("/c/");
        QString token;
        int method = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            token = guest ? eventToken_ : remoteToken_;
            method = method_;
        }
        if (!CheckInTokens::Equal(token, path.mid(3))) return Html(403, GuestPages::Refused());
        return Html(200, guest ? GuestPages::CheckIn(method) : GuestPages::Remote());
    }
    if (path == "/api/checkin") return post ? CheckIn(request) : Failure(405);
    if (path == "/api/status") return get ? Status(request) : Failure(405);
    if (path == "/api/remote") return post ? Remote(request) : Failure(405);
    return Failure(404);
}

QString CheckInHandler::TicketFor(int32_t candidate) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = ticketOf_.find(candidate);
    if (it != ticketOf_.end()) return it->second;
    const QString ticket = CheckInTokens::New();
    ticketOf_.emplace(candidate, ticket);
    tickets_.insert(ticket, candidate);
    return ticket;
}

HttpResponse CheckInHandler::CheckIn(const HttpRequest& request) {
    QHash<QString, QString> f;
    if (!ReadFields(request.body, {"token", "id", "name"}, f)) return Failure(400);
    std::shared_ptr<const CheckInRoster> roster;
    QString token;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        roster = roster_;
        token = eventToken_;
    }
    if (!CheckInTokens::Equal(token, f.value(QStringLiteral("token")).toUtf8()))
        return Failure(403);
    const CheckInRoster::Guest* guest =
        roster->Match(f.value(QStringLiteral("id")), f.value(QStringLiteral("name")));
    if (!guest) return Failure(404);  // no hint which field was wrong
    const CheckInLog::Result result = log_.Add(guest->id, guest->name, CheckInLog::Source::Phone);
    if (result == CheckInLog::Result::Failed) return Failure(503);  // not on disk: not "ok"
    QJsonObject answer{{QStringLiteral("ok"), true},
                       {QStringLiteral("name"), guest->name},
                       {QStringLiteral("department"), guest->department},
                       {QStringLiteral("ticket"), TicketFor(guest->id)}};
    if (result == CheckInLog::Result::Already) {
        answer.insert(QStringLiteral("already"), true);
    } else {
        std::function<void(int32_t)> tell;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            tell = checkedIn_;
        }
        if (tell) tell(guest->id);
    }
    return Json(200, answer);
}

HttpResponse CheckInHandler::Status(const HttpRequest& request) {
    const QByteArray token = QueryValue(request.query, "token");
    const QString ticket = QString::fromUtf8(QueryValue(request.query, "ticket"));
    std::shared_ptr<const CheckInRoster> roster;
    std::shared_ptr<const ShowBoard> show;
    int32_t candidate = -1;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!CheckInTokens::Equal(eventToken_, token)) return Failure(403);
        candidate = tickets_.value(ticket, -1);
        roster = roster_;
        show = show_;
    }
    const CheckInRoster::Guest* guest = candidate >= 0 ? roster->Find(candidate) : nullptr;
    if (!guest) return Failure(404);
    QJsonObject answer{{QStringLiteral("ok"), true},
                       {QStringLiteral("name"), guest->name},
                       {QStringLiteral("department"), guest->department},
                       {QStringLiteral("checkedIn"), log_.Contains(guest->id)}};
    if (show->running) {
        answer.insert(QStringLiteral("fingerprint"), show->fingerprint);
        answer.insert(QStringLiteral("inPool"),
                      std::binary_search(show->room.begin(), show->room.end(), guest->id));
    }
    const auto won = show->won.find(guest->id);
    if (won != show->won.end()) answer.insert(QStringLiteral("won"), won->second);
    return Json(200, answer);
}

HttpResponse CheckInHandler::Remote(const HttpRequest& request) {
    QHash<QString, QString> f;
    if (!ReadFields(request.body, {"token", "action"}, f)) return Failure(400);
    std::shared_ptr<const ShowBoard> show;
    std::function<void()> step;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!CheckInTokens::Equal(remoteToken_, f.value(QStringLiteral("token")).toUtf8()))
            return Failure(403);
        show = show_;
        step = step_;
    }
    const QString action = f.value(QStringLiteral("action"));
    if (action == QLatin1String("step")) {
        if (!show->running)
            return Json(409, QJsonObject{{QStringLiteral("ok"), false},
                                         {QStringLiteral("screen"), show->screen}});
        if (step) step();
    } else if (action != QLatin1String("state")) {
        return Failure(400);
    }
    return Json(200, QJsonObject{{QStringLiteral("ok"), true},
                                 {QStringLiteral("running"), show->running},
                                 {QStringLiteral("screen"), show->screen},
                                 {QStringLiteral("prize"), show->prize}});
}
