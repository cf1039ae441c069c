#include "draw/RecordEvents.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <sodium.h>

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
const QString kPauseType = QStringLiteral("pause");
const QString kResumeType = QStringLiteral("resume");
const QString kOrderType = QStringLiteral("order");
const QString kPrizeAddedType = QStringLiteral("prize_added");

// Flags packed eight to a byte, lowest bit first, in base64.
QString PackFlags(const std::vector<uint8_t>& flags) {
    QByteArray bytes((qsizetype(flags.size()) + 7) / 8, '\0');
    for (size_t i = 0; i < flags.size(); ++i)
        if (flags[i])
            bytes[qsizetype(i / 8)] = char(uint8_t(bytes[qsizetype(i / 8)]) | (1u << (i % 8)));
    return QString::fromLatin1(bytes.toBase64());
}

bool UnpackFlags(const QJsonValue& value, size_t count, std::vector<uint8_t>& flags) {
    if (!value.isString()) return false;
    const QByteArray text = value.toString().toLatin1();
    const auto decoded =
        QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != (qsizetype(count) + 7) / 8) return false;
    flags.assign(count, 0);
    for (size_t i = 0; i < count; ++i)
        flags[i] = (uint8_t(decoded.decoded[qsizetype(i / 8)]) >> (i % 8)) & 1u;
    return true;
}

QJsonObject WriteSeal(const RecordEvents::Seal& seal) {
    QJsonArray prizes;
    for (const RecordEvents::PrizeRule& r : seal.prizes) {
        QJsonObject rule{{QStringLiteral("id"), r.prize}, {QStringLiteral("repeat"), r.repeat}};
        if (r.limited) {
            rule.insert(QStringLiteral("field"), r.field);
            rule.insert(QStringLiteral("mode"), r.mode);
            rule.insert(QStringLiteral("values"), QJsonArray::fromStringList(r.values));
            rule.insert(QStringLiteral("members"), PackFlags(r.members));
        }
        prizes.append(rule);
    }
    QJsonObject o{{QStringLiteral("room"), RecordFormat::PoolRuns(seal.room)},
                  {QStringLiteral("excluded"), RecordFormat::PoolRuns(seal.excluded)},
                  {QStringLiteral("prizes"), prizes}};
    // Only when set, so the seals of older shows read and hash as they always did.
    if (seal.presentOnly) {
        o.insert(QStringLiteral("present_only"), true);
        o.insert(QStringLiteral("absent"), RecordFormat::PoolRuns(seal.absent));
    }
    return o;
}

bool ReadSeal(const QJsonValue& value, size_t maxPool, RecordEvents::Seal& seal) {
    if (!value.isObject()) return false;
    const QJsonObject o = value.toObject();
    if (!RecordFormat::ReadPoolRuns(o.value(QStringLiteral("room")), seal.room, maxPool) ||
        !RecordFormat::ReadPoolRuns(o.value(QStringLiteral("excluded")), seal.excluded, maxPool) ||
        !o.value(QStringLiteral("prizes")).isArray())
        return false;
    seal.presentOnly = o.value(QStringLiteral("present_only")).toBool(false);
    seal.absent.clear();
    if (seal.presentOnly &&
        !RecordFormat::ReadPoolRuns(o.value(QStringLiteral("absent")), seal.absent, maxPool))
        return false;
    const QJsonArray prizes = o.value(QStringLiteral("prizes")).toArray();
    // A hostile record must not make the replay hold a bitmap per prize for millions of them.
    if (size_t(prizes.size()) * ((seal.room.size() + 7) / 8 + 1) > (size_t(1) << 30)) return false;
    seal.prizes.clear();
    for (const QJsonValue& v : prizes) {
        const QJsonObject p = v.toObject();
        RecordEvents::PrizeRule r;
        if (!RecordFormat::ReadInt(p.value(QStringLiteral("id")), r.prize) ||
            !p.value(QStringLiteral("repeat")).isBool())
            return false;
        r.repeat = p.value(QStringLiteral("repeat")).toBool();
        r.limited = p.contains(QStringLiteral("members"));
        if (r.limited) {
            r.field = p.value(QStringLiteral("field")).toString();
            r.mode = p.value(QStringLiteral("mode")).toString();
            for (const QJsonValue& text : p.value(QStringLiteral("values")).toArray())
                r.values.append(text.toString());
            if (!UnpackFlags(p.value(QStringLiteral("members")), seal.room.size(), r.members))
                return false;
        }
        seal.prizes.push_back(std::move(r));
    }
    return true;
}

}  // namespace

RecordEvents::Type RecordEvents::TypeOf(const QJsonObject& event) {
    const QString type = event.value(Str(kType)).toString();
    if (type == kShowType) return Type::ShowStart;
    if (type == kRoundType) return Type::Round;
    if (type == kDeleteType) return Type::Deleted;
    if (type == kVoidType) return Type::Voided;
    if (type == kClearType) return Type::Cleared;
    if (type == kEndType) return Type::ShowEnd;
    if (type == kPauseType) return Type::Paused;
    if (type == kResumeType) return Type::Resumed;
    if (type == kOrderType) return Type::Order;
    if (type == kPrizeAddedType) return Type::PrizeAdded;
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
    QJsonObject event{
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
    if (e.seal) event.insert(QStringLiteral("seal"), WriteSeal(*e.seal));
    return event;
}

RecordEvents::Key RecordEvents::SealedCommitment(const ShowStart& e) {
    if (!e.seal) return e.commit;
    const QByteArray seal = QJsonDocument(WriteSeal(*e.seal)).toJson(QJsonDocument::Compact);
    Key digest;
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    crypto_hash_sha256_update(&state, e.commit.data(), e.commit.size());
    crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char*>(seal.constData()),
                              static_cast<unsigned long long>(seal.size()));
    crypto_hash_sha256_final(&state, digest.data());
    return digest;
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

QJsonObject RecordEvents::Write(const Pause& e) {
    QJsonObject o{{Str(kType), e.resumed ? kResumeType : kPauseType},
                  {QStringLiteral("show"), e.show},
                  {QStringLiteral("time"), e.time}};
    if (e.leftKeyIndex > 0) {
        o.insert(QStringLiteral("left_key_index"), e.leftKeyIndex);
        o.insert(QStringLiteral("left_key"), ShowKeys::Hex(e.leftKey));
    }
    return o;
}

QJsonObject RecordEvents::Write(const Order& e) {
    return QJsonObject{{Str(kType), kOrderType},
                       {QStringLiteral("show"), e.show},
                       {QStringLiteral("time"), e.time},
                       {QStringLiteral("prize"), e.prize},
                       {QStringLiteral("prize_name"), e.prizeName}};
}

bool RecordEvents::Read(const QJsonObject& event, Order& e) {
    e.show = event.value(QStringLiteral("show")).toString();
    e.time = event.value(QStringLiteral("time")).toString();
    e.prizeName = event.value(QStringLiteral("prize_name")).toString();
    return RecordFormat::ReadInt(event.value(QStringLiteral("prize")), e.prize);
}

QJsonObject RecordEvents::Write(const PrizeAdded& e) {
    return QJsonObject{{Str(kType), kPrizeAddedType},       {QStringLiteral("show"), e.show},
                       {QStringLiteral("time"), e.time},    {QStringLiteral("prize"), e.prize},
                       {QStringLiteral("name"), e.name},    {QStringLiteral("content"), e.content},
                       {QStringLiteral("count"), e.count},  {QStringLiteral("batch"), e.batch},
                       {QStringLiteral("repeat"), e.repeat}};
}

bool RecordEvents::Read(const QJsonObject& event, PrizeAdded& e) {
    e.show = event.value(QStringLiteral("show")).toString();
    e.time = event.value(QStringLiteral("time")).toString();
    e.name = event.value(QStringLiteral("name")).toString();
    e.content = event.value(QStringLiteral("content")).toString();
    e.repeat = event.value(QStringLiteral("repeat")).toBool();
    return RecordFormat::ReadInt(event.value(QStringLiteral("prize")), e.prize) &&
           RecordFormat::ReadInt(event.value(QStringLiteral("count")), e.count) &&
           RecordFormat::ReadInt(event.value(QStringLiteral("batch")), e.batch) && e.count > 0 &&
           e.batch > 0;
}

void RecordEvents::Read(const QJsonObject& event, Pause& e) {
    e.resumed = TypeOf(event) == Type::Resumed;
    e.show = event.value(QStringLiteral("show")).toString();
    e.time = event.value(QStringLiteral("time")).toString();
    e.leftKeyIndex = 0;
    if (!event.contains(QStringLiteral("left_key_index"))) return;
    // Present but malformed reads as index -1, which no round can follow.
    if (!RecordFormat::ReadInt(event.value(QStringLiteral("left_key_index")), e.leftKeyIndex) ||
        e.leftKeyIndex < 1 ||
        !ShowKeys::FromHex(event.value(QStringLiteral("left_key")).toString(), e.leftKey))
        e.leftKeyIndex = -1;
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
    e.seal.reset();
    if (event.contains(QStringLiteral("seal"))) {
        Seal seal;
        if (!ReadSeal(event.value(QStringLiteral("seal")), maxPool, seal)) return false;
        e.seal = std::move(seal);
    }
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
