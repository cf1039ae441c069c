#include "draw/RecordEvents.h"

#include <QJsonArray>

#include "draw/RecordFormat.h"
#include "draw/ShowKeys.h"

namespace {

QString Str(const char* key) {
    return QString::fromLatin1(key);
}

const QString kShowType = QStringLiteral("show");
const QString kRoundType = QStringLiteral("round");
const QString kDeleteType = QStringLiteral("delete");
const QString kVoidType = QStringLiteral("void");
const QString kClearType = QStringLiteral("clear");
const QString kEndType = QStringLiteral("end");

}  // namespace

RecordEvents::Type RecordEvents::TypeOf(const QJsonObject& event) {
    const QString type = event.value(Str(kType)).toString();
    if (type == kShowType) return Type::ShowStart;
    if (type == kRoundType) return Type::Round;
    if (type == kDeleteType) return Type::Deleted;
    if (type == kVoidType) return Type::Voided;
    if (type == kClearType) return Type::Cleared;
    if (type == kEndType) return Type::ShowEnd;
    return Type::Unknown;
}

QJsonObject RecordEvents::Write(const ShowStart& e) {
    QJsonArray prizes;
    for (const PrizeEntry& p : e.prizes) {
        prizes.append(QJsonObject{{QStringLiteral("id"), p.id},
                                  {QStringLiteral("name"), p.name},
                                  {QStringLiteral("count"), p.count},
                                  {QStringLiteral("batch"), p.batch},
                                  {QStringLiteral("drawn"), p.drawn}});
    }
    QJsonArray winners;
    for (const auto& [prize, candidate] : e.winners) winners.append(QJsonArray{prize, candidate});
    return QJsonObject{
        {Str(kType), kShowType},
        {QStringLiteral("show"), e.show},
        {QStringLiteral("time"), e.time},
        {QStringLiteral("commit"), ShowKeys::Hex(e.commit)},
        {QStringLiteral("chain"), e.chain},
        {QStringLiteral("field"), e.field},
        {QStringLiteral("repeat"), e.repeat},
        {QStringLiteral("pool"), RecordFormat::PoolRuns(e.pool)},
        {QStringLiteral("prizes"), prizes},
        {QStringLiteral("winners"), winners},
    };
}

QJsonObject RecordEvents::Write(const Round& e) {
    QJsonArray winners;
    for (const auto& [candidate, text] : e.winners) winners.append(QJsonArray{candidate, text});
    return QJsonObject{
        {Str(kType), kRoundType},
        {QStringLiteral("show"), e.show},
        {QStringLiteral("key_index"), e.keyIndex},
        {QStringLiteral("key"), ShowKeys::Hex(e.key)},
        {QStringLiteral("prize"), e.prize},
        {QStringLiteral("prize_name"), e.prizeName},
        {QStringLiteral("round"), e.round},
        {QStringLiteral("batch"), e.batch},
        {QStringLiteral("rolls"), e.rolls},
        {QStringLiteral("redraw"), e.redraw},
        {QStringLiteral("time"), e.time},
        {QStringLiteral("winners"), winners},
    };
}

QJsonObject RecordEvents::Write(const Removal& e) {
    QJsonObject event{
        {Str(kType), e.voided ? kVoidType : kDeleteType},
        {QStringLiteral("prize"), e.prize},
        {QStringLiteral("candidate"), e.candidate},
        {QStringLiteral("text"), e.text},
        {QStringLiteral("won"), e.won},
        {QStringLiteral("time"), e.time},
    };
    if (!e.reason.isEmpty()) event.insert(QStringLiteral("reason"), e.reason);
    return event;
}

QJsonObject RecordEvents::Write(const Clear& e) {
    return QJsonObject{{Str(kType), kClearType},
                       {QStringLiteral("count"), static_cast<qint64>(e.count)},
                       {QStringLiteral("time"), e.time}};
}

QJsonObject RecordEvents::Write(const ShowEnd& e) {
    return QJsonObject{
        {Str(kType), kEndType},
        {QStringLiteral("show"), e.show},
        {QStringLiteral("time"), e.time},
        {QStringLiteral("secret"), ShowKeys::Hex(e.secret)},
        {QStringLiteral("rounds"), e.rounds},
    };
}

bool RecordEvents::Read(const QJsonObject& event, ShowStart& e, size_t maxPool, int32_t maxChain) {
    e.show = event.value(QStringLiteral("show")).toString();
    e.time = event.value(QStringLiteral("time")).toString();
    e.repeat = event.value(QStringLiteral("repeat")).toBool();
    e.field = event.value(QStringLiteral("field")).toInt();
    e.chain = 0;
    const bool ok =
        ShowKeys::FromHex(event.value(QStringLiteral("commit")).toString(), e.commit) &&
        RecordFormat::ReadInt(event.value(QStringLiteral("chain")), e.chain) && e.chain >= 1 &&
        e.chain <= maxChain &&
        RecordFormat::ReadPoolRuns(event.value(QStringLiteral("pool")), e.pool, maxPool) &&
        event.value(QStringLiteral("winners")).isArray();
    if (!ok) return false;
    e.prizes.clear();
    for (const QJsonValue& v : event.value(QStringLiteral("prizes")).toArray()) {
        const QJsonObject p = v.toObject();
        e.prizes.push_back(PrizeEntry{
            p.value(QStringLiteral("id")).toInt(), p.value(QStringLiteral("name")).toString(),
            p.value(QStringLiteral("count")).toInt(), p.value(QStringLiteral("batch")).toInt(),
            p.value(QStringLiteral("drawn")).toInt()});
    }
    e.winners.clear();
    for (const QJsonValue& v : event.value(QStringLiteral("winners")).toArray()) {
        const QJsonArray pair = v.toArray();
        int32_t prize = 0;
        int32_t candidate = 0;
        if (pair.size() != 2 || !RecordFormat::ReadInt(pair[0], prize) ||
            !RecordFormat::ReadInt(pair[1], candidate))
            continue;
        e.winners.emplace_back(prize, candidate);
    }
    return true;
}

bool RecordEvents::Read(const QJsonObject& event, Round& e) {
    e.show = event.value(QStringLiteral("show")).toString();
    e.prizeName = event.value(QStringLiteral("prize_name")).toString();
    e.time = event.value(QStringLiteral("time")).toString();
    e.redraw = event.value(QStringLiteral("redraw")).toBool();
    if (!RecordFormat::ReadInt(event.value(QStringLiteral("key_index")), e.keyIndex) ||
        !ShowKeys::FromHex(event.value(QStringLiteral("key")).toString(), e.key) ||
        !RecordFormat::ReadInt(event.value(QStringLiteral("prize")), e.prize) ||
        !RecordFormat::ReadInt(event.value(QStringLiteral("round")), e.round) ||
        !RecordFormat::ReadInt(event.value(QStringLiteral("batch")), e.batch) ||
        !RecordFormat::ReadInt(event.value(QStringLiteral("rolls")), e.rolls))
        return false;
    e.winners.clear();
    for (const QJsonValue& v : event.value(QStringLiteral("winners")).toArray()) {
        const QJsonArray pair = v.toArray();
        int32_t id = 0;
        if (pair.size() != 2 || !RecordFormat::ReadInt(pair[0], id)) continue;
        e.winners.emplace_back(id, pair[1].toString());
    }
    return true;
}

bool RecordEvents::Read(const QJsonObject& event, Removal& e) {
    e.voided = TypeOf(event) == Type::Voided;
    e.text = event.value(QStringLiteral("text")).toString();
    e.won = event.value(QStringLiteral("won")).toString();
    e.time = event.value(QStringLiteral("time")).toString();
    e.reason = event.value(QStringLiteral("reason")).toString();
    return RecordFormat::ReadInt(event.value(QStringLiteral("prize")), e.prize) &&
           RecordFormat::ReadInt(event.value(QStringLiteral("candidate")), e.candidate);
}

bool RecordEvents::Read(const QJsonObject& event, ShowEnd& e) {
    e.show = event.value(QStringLiteral("show")).toString();
    e.time = event.value(QStringLiteral("time")).toString();
    e.rounds = event.value(QStringLiteral("rounds")).toInt();
    return ShowKeys::FromHex(event.value(QStringLiteral("secret")).toString(), e.secret);
}
