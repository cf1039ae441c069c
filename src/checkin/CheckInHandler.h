#pragma once

#include <QHash>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "checkin/CheckInRoster.h"
#include "checkin/HttpExchange.h"
#include "checkin/RateLimiter.h"
#include "checkin/ShowBoard.h"

class CheckInLog;

// The guests' and the host's pages and their API, request in, answer out. Nothing from the
// client is trusted: every field is bounded and checked, tokens are compared in constant time,
// and a check-in is answered "ok" only once it is on disk. Called from the service's threads;
// what the windows set is guarded by one lock and copied out before use.
class CheckInHandler {
  public:
    static constexpr size_t kMaxHeaderBytes = 8 * 1024;
    static constexpr size_t kMaxBodyBytes = 4 * 1024;
    static constexpr int kRequestsPerWindow = 30;
    static constexpr int64_t kWindowMs = 10'000;
    static constexpr qsizetype kMaxFieldChars = 64;

    using Clock = std::function<int64_t()>;  // steady milliseconds

    explicit CheckInHandler(CheckInLog& log, Clock clock = {});

    void SetTokens(const QString& event, const QString& remote);
    // CheckInSettings::Method: what the page asks for besides the name.
    void SetMethod(int method);
    void SetRoster(std::shared_ptr<const CheckInRoster> roster);
    void SetShow(std::shared_ptr<const ShowBoard> show);
    // Called on the service's thread for each new check-in, and for each step of the host's
    // phone; the receiver passes them on to its own thread.
    void SetCallbacks(std::function<void(int32_t)> checkedIn, std::function<void()> step);

    HttpResponse Handle(const HttpRequest& request);

  private:
    HttpResponse CheckIn(const HttpRequest& request);
    HttpResponse Status(const HttpRequest& request);
    HttpResponse Remote(const HttpRequest& request);
    QString TicketFor(int32_t candidate);

    CheckInLog& log_;
    Clock clock_;
    RateLimiter limiter_;

    mutable std::mutex mutex_;
    QString eventToken_;
    QString remoteToken_;
    int method_ = 0;
    std::shared_ptr<const CheckInRoster> roster_;
    std::shared_ptr<const ShowBoard> show_;
    std::function<void(int32_t)> checkedIn_;
    std::function<void()> step_;
    // Each guest's page asks after them by a ticket of its own, never by who they are.
    QHash<QString, int32_t> tickets_;
    std::unordered_map<int32_t, QString> ticketOf_;
};
