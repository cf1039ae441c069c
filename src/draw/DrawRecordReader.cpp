#include "draw/DrawRecordReader.h"

#include <QJsonDocument>

#include <sodium.h>

#include "draw/DrawRecord.h"
#include "draw/RecordEvents.h"
#include "draw/ShowKeys.h"

bool DrawRecordReader::Next(Line& line) {
    if (in_.atEnd()) return false;
    // The line is hashed piece by piece; only its first kMaxLineBytes are kept.
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    QByteArray bytes;
    bool tooLong = false;
    bool sawBreak = false;
    constexpr qint64 kPiece = 1 << 16;
    if (piece_.size() != kPiece + 1) piece_.resize(kPiece + 1);
    while (!in_.atEnd()) {
        const qint64 read = in_.readLine(piece_.data(), piece_.size());
        if (read <= 0) break;
        QByteArrayView piece(piece_.constData(), read);
        if (piece.endsWith('\n')) {
            piece.chop(1);
            sawBreak = true;
        }
        crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char*>(piece.constData()),
                                  static_cast<unsigned long long>(piece.size()));
        if (!tooLong && bytes.size() + piece.size() <= DrawRecord::kMaxLineBytes) {
            bytes.append(piece);
        } else {
            tooLong = true;
            bytes.clear();
        }
        if (sawBreak) break;
    }
    ShowKeys::Key digest;
    crypto_hash_sha256_final(&state, digest.data());
    const QString hash = ShowKeys::Hex(digest);

    line = Line{};
    line.number = ++number_;
    const QString expectedPrev = prevHash_;
    prevHash_ = hash;
    if (tooLong || !sawBreak) {
        // A line without its break is one whose writing was cut short.
        line.status = Status::Damaged;
        return true;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        line.status = Status::Damaged;
        return true;
    }
    const QJsonObject event = doc.object();
    const QJsonValue version = event.value(QLatin1String(RecordEvents::kVersion));
    const QJsonValue prev = event.value(QLatin1String(RecordEvents::kPrev));
    if (!version.isDouble() || !prev.isString() ||
        !event.value(QLatin1String(RecordEvents::kType)).isString()) {
        line.status = Status::Damaged;
        return true;
    }
    if (!DrawRecord::KnownVersion(version.toInt())) {
        line.status = Status::OtherVersion;
        return true;
    }
    line.event = event;
    const QString named = prev.toString();
    if (named.isEmpty()) {
        line.status = line.number == 1 ? Status::Ok : Status::Restarted;
    } else if (named != expectedPrev) {
        line.status = Status::BrokenChain;
    }
    return true;
}
