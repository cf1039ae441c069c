#include "checkin/CheckInServer.h"

#include <QUrl>

#include <cstring>

#include <microhttpd.h>

#include "checkin/CheckInHandler.h"
#include "checkin/ListenAddress.h"

namespace {

// What one request has gathered so far between the library's calls.
struct Pending {
    HttpRequest request;
    bool answered = false;
};

MHD_Result CountHeader(void* cls, MHD_ValueKind, const char* key, const char* value) {
    *static_cast<size_t*>(cls) += std::strlen(key) + (value ? std::strlen(value) : 0) + 4;
    return MHD_YES;
}

MHD_Result AddArgument(void* cls, MHD_ValueKind, const char* key, const char* value) {
    QByteArray& query = *static_cast<QByteArray*>(cls);
    if (query.size() > 1024) return MHD_NO;  // the pages never send more than two short ones
    if (!query.isEmpty()) query.append('&');
    query.append(QUrl::toPercentEncoding(QString::fromUtf8(key)));
    if (value) query.append('=').append(QUrl::toPercentEncoding(QString::fromUtf8(value)));
    return MHD_YES;
}

MHD_Result Queue(MHD_Connection* connection, const HttpResponse& answer) {
    MHD_Response* response = MHD_create_response_from_buffer(
        size_t(answer.body.size()), const_cast<char*>(answer.body.constData()),
        MHD_RESPMEM_MUST_COPY);
    if (!response) return MHD_NO;
    MHD_add_response_header(response, "Content-Type", answer.contentType.constData());
    MHD_add_response_header(response, "Cache-Control", "no-store");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    if (answer.contentType.startsWith("text/html")) {
        MHD_add_response_header(response, "Content-Security-Policy",
                                "default-src 'none'; script-src 'unsafe-inline'; style-src "
                                "'unsafe-inline'; connect-src 'self'; img-src data:; "
                                "base-uri 'none'; form-action 'none'; frame-ancestors 'none'");
    }
    const MHD_Result queued = MHD_queue_response(connection, unsigned(answer.status), response);
    MHD_destroy_response(response);
    return queued;
}

}  // namespace

// The library's callbacks, with access to the server they were given.
struct ServerCalls {
    static MHD_Result Access(void* cls, MHD_Connection* connection, const char* url,
                             const char* method, const char*, const char* upload,
                             size_t* uploadSize, void** state) {
        const auto* server = static_cast<const CheckInServer*>(cls);
        auto* pending = static_cast<Pending*>(*state);
        if (!pending) {
            pending = new Pending;
            *state = pending;
            HttpRequest& r = pending->request;
            r.method = method;
            r.path = QByteArray(url).left(1024);
            MHD_get_connection_values(connection, MHD_HEADER_KIND, CountHeader, &r.headerBytes);
            r.headerBytes += std::strlen(url) + std::strlen(method) + 12;
            MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, AddArgument, &r.query);
            if (const MHD_ConnectionInfo* info =
                    MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS))
                r.client = ListenAddress::PeerText(info->client_addr);
            const char* length =
                MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Content-Length");
            if (length && std::strtoull(length, nullptr, 10) > CheckInHandler::kMaxBodyBytes)
                r.bodyTooLarge = true;
            // A body of no stated length (chunked) could grow without end, and once a body is
            // being read the library takes no answer: it is refused now, unread.
            if (MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Transfer-Encoding"))
                r.bodyTooLarge = true;
            // Refused before a byte of the body is read; the library then closes.
            if (r.bodyTooLarge || r.headerBytes > CheckInHandler::kMaxHeaderBytes) {
                pending->answered = true;
                return Queue(connection, server->Call(r));
            }
            return MHD_YES;
        }
        if (*uploadSize != 0) {
            HttpRequest& r = pending->request;
            if (!pending->answered) {
                // Past a stated length of at most the limit the library reads nothing, so this
                // is a guard only: mid-body no answer can be queued, the connection is closed.
                if (size_t(r.body.size()) + *uploadSize > CheckInHandler::kMaxBodyBytes)
                    return MHD_NO;
                r.body.append(upload, qsizetype(*uploadSize));
            }
            *uploadSize = 0;
            return MHD_YES;
        }
        if (pending->answered) return MHD_YES;
        pending->answered = true;
        return Queue(connection, server->Call(pending->request));
    }

    static void Completed(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
        delete static_cast<Pending*>(*state);
        *state = nullptr;
    }
};

CheckInServer::CheckInServer(Handler handler) : CheckInServer(std::move(handler), Limits{}) {}

CheckInServer::CheckInServer(Handler handler, Limits limits)
    : handler_(std::move(handler)), limits_(limits) {}

CheckInServer::~CheckInServer() {
    Stop();
}

bool CheckInServer::Start(const QString& address, int port, QString* error) {
    Stop();
    ListenAddress listen;
    if (!listen.Parse(address, port)) {
        if (error) *error = QStringLiteral("不是本机的地址：%1").arg(address);
        return false;
    }
    unsigned flags = MHD_USE_AUTO_INTERNAL_THREAD;
    if (listen.IsIpv6()) flags |= MHD_USE_IPv6;
    daemon_ = MHD_start_daemon(
        flags, uint16_t(port), nullptr, nullptr, &ServerCalls::Access, this, MHD_OPTION_SOCK_ADDR,
        listen.Get(), MHD_OPTION_CONNECTION_LIMIT, limits_.connections,
        MHD_OPTION_PER_IP_CONNECTION_LIMIT, limits_.perAddress, MHD_OPTION_CONNECTION_TIMEOUT,
        limits_.idleSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory,
        MHD_OPTION_THREAD_POOL_SIZE, limits_.threads, MHD_OPTION_NOTIFY_COMPLETED,
        &ServerCalls::Completed, nullptr, MHD_OPTION_END);
    if (!daemon_) {
        if (error)
            *error = QStringLiteral("无法在 %1 的端口 %2 上提供签到服务（端口可能已被占用）")
                         .arg(address)
                         .arg(port);
        return false;
    }
    port_ = port;
    if (const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT))
        port_ = info->port;
    return true;
}

void CheckInServer::Stop() {
    if (!daemon_) return;
    MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
}
