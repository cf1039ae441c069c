// Feeds arbitrary requests to the check-in handler, as the server would hand them over.
// Input: byte 0 flags (bit 0 body cut off as too large, bit 1 a show running), bytes 1-2 the
// header bytes counted, byte 3 how far the clock moves; then method, path, query, body and
// client, separated by 0x1f. The tokens are fixed so that seeds can hold them.
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "checkin/CheckInHandler.h"
#include "checkin/CheckInRoster.h"
#include "model/CheckInLog.h"

namespace {

const QString kEvent = QStringLiteral("EventTokenForFuzzing00");
const QString kRemote = QStringLiteral("RemoteTokenForFuzzing0");

struct Harness {
    QTemporaryDir dir;
    CheckInLog log{QDir(dir.path()).filePath(CheckInLog::FileName())};
    int64_t now = 0;
    CheckInHandler handler{log, [this] { return now; }};
    std::shared_ptr<ShowBoard> idle = std::make_shared<ShowBoard>();
    std::shared_ptr<ShowBoard> running = std::make_shared<ShowBoard>();
    size_t guests = 0;

    Harness() {
        handler.SetTokens(kEvent, kRemote);
        auto roster = std::make_shared<CheckInRoster>();
        roster->Add({1, QStringLiteral("张三"), QStringLiteral("销售部")}, QStringLiteral("A001"));
        roster->Add({2, QStringLiteral("王五"), QStringLiteral("市场部")}, QStringLiteral("A003"));
        roster->Add({3, QStringLiteral("王五"), QStringLiteral("财务部")}, QStringLiteral("A003"));
        roster->Add({4, QStringLiteral("<b>x</b>"), {}}, QStringLiteral("1234"));
        roster->Add({5, QStringLiteral("ＬＩ　Ｓｉ"), QStringLiteral("技术部")},
                    QStringLiteral("ａ００５"));
        guests = roster->size();
        handler.SetRoster(roster);
        running->running = true;
        running->fingerprint = QStringLiteral("7F3A-19C2");
        running->room = {1, 4};
        running->won.emplace(4, QStringLiteral("一等奖"));
        running->screen = QStringLiteral("抽奖中");
    }
};

// A broken promise of the handler: stop here so the fuzzer keeps the input.
void Check(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static Harness h;
    if (size < 4) return 0;
    const QByteArray data(reinterpret_cast<const char*>(bytes + 4), qsizetype(size - 4));
    const QList<QByteArray> parts = data.split('\x1f');
    const auto part = [&](int i) { return i < parts.size() ? parts[i] : QByteArray(); };

    HttpRequest r;
    r.bodyTooLarge = bytes[0] & 1;
    r.headerBytes = size_t(bytes[1]) | size_t(bytes[2]) << 8;
    h.now += int64_t(bytes[3]) * 50;
    h.handler.SetShow(bytes[0] & 2 ? h.running : h.idle);
    r.method = part(0);
    r.path = part(1);
    r.query = part(2);
    r.body = part(3);
    r.client = QString::fromUtf8(part(4));

    const size_t before = h.log.Count();
    const HttpResponse answer = h.handler.Handle(r);
    const size_t after = h.log.Count();

    // Every answer is a page or a JSON object; only a check-in answered "ok" adds to the file.
    if (answer.contentType.startsWith("text/html")) {
        Check(answer.status == 200 || answer.status == 403);
        Check(r.path.startsWith("/c/") || r.path.startsWith("/r/"));
    } else {
        QJsonParseError error{};
        const QJsonObject o = QJsonDocument::fromJson(answer.body, &error).object();
        Check(error.error == QJsonParseError::NoError);
        const bool ok = o.value(QStringLiteral("ok")).toBool();
        Check(ok == (answer.status == 200));
        if (after != before) {
            Check(after == before + 1 && ok && r.path == "/api/checkin");
            Check(!o.value(QStringLiteral("already")).toBool());
        }
    }
    Check(after >= before);
    // Room for the next ones to check in anew.
    if (after == h.guests) h.log.Clear();
    return 0;
}
