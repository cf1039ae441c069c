#pragma once

#include <QString>

#include <functional>

#include "checkin/HttpExchange.h"

struct MHD_Daemon;

// The HTTP service on one address of the laptop, GNU libmicrohttpd underneath: its own
// threads (the show's never wait on a guest), a bound on open connections, on connections
// per address, on header and body size, and idle connections closed.
class CheckInServer {
  public:
    struct Limits {
        unsigned connections = 256;
        unsigned perAddress = 32;
        unsigned idleSeconds = 10;
        unsigned threads = 4;
    };
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    explicit CheckInServer(Handler handler);
    CheckInServer(Handler handler, Limits limits);
    ~CheckInServer();
    CheckInServer(const CheckInServer&) = delete;
    CheckInServer& operator=(const CheckInServer&) = delete;

    // Listens on address:port (port 0: any free one); false with the reason when it cannot.
    bool Start(const QString& address, int port, QString* error);
    void Stop();
    bool Running() const { return daemon_ != nullptr; }
    // The port listened on.
    int Port() const { return port_; }

    // Bytes of one connection's memory: the request line and headers must fit in it with room
    // to spare, so headers beyond the handler's limit are refused before they are all read.
    static constexpr size_t kConnectionMemory = 16 * 1024;

  private:
    friend struct ServerCalls;
    HttpResponse Call(const HttpRequest& request) const { return handler_(request); }

    Handler handler_;
    Limits limits_;
    MHD_Daemon* daemon_ = nullptr;
    int port_ = 0;
};
