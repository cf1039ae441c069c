#include "draw/DrawRecord.h"

#include <QFileInfo>
#include <QJsonDocument>

#include <sodium.h>

#include "draw/RecordEvents.h"
#include "draw/ShowKeys.h"
#include "model/AppData.h"
#include "model/AtomicFileWriter.h"
#include "model/Platform.h"

namespace {

// The last line of a file (without its break), read backwards in pieces so a huge record
// costs no more than its last line. Sets torn when the file does not end with a line break.
bool ReadLastLine(QFile& file, QByteArray& line, bool& torn) {
    const qint64 size = file.size();
    torn = false;
    line.clear();
    if (size <= 0) return true;
    char last = 0;
    if (!file.seek(size - 1) || file.read(&last, 1) != 1) return false;
    if (last != '\n') {
        torn = true;
        return true;
    }
    const qint64 end = size - 1;  // position of the final break
    qint64 start = end;
    constexpr qint64 kPiece = 64 * 1024;
    while (start > 0) {
        const qint64 from = std::max<qint64>(0, start - kPiece);
        if (!file.seek(from)) return false;
        const QByteArray piece = file.read(start - from);
        if (piece.size() != start - from) return false;
        const qsizetype nl = piece.lastIndexOf('\n');
        if (nl >= 0) {
            start = from + nl + 1;
            break;
        }
        start = from;
        if (end - start > DrawRecord::kMaxLineBytes) return false;
    }
    if (!file.seek(start)) return false;
    line = file.read(end - start);
    return line.size() == end - start;
}

}  // namespace

QString DrawRecord::FileName() {
    return AppData::DrawRecordFileName();
}

DrawRecord::DrawRecord(const QString& path) : path_(path) {}

DrawRecord::~DrawRecord() = default;

QString DrawRecord::LineHash(const QByteArray& line) {
    ShowKeys::Key digest;
    crypto_hash_sha256(digest.data(), reinterpret_cast<const unsigned char*>(line.constData()),
                       static_cast<unsigned long long>(line.size()));
    return ShowKeys::Hex(digest);
}

bool DrawRecord::ReadLastEvent(const QString& path, QJsonObject& event) {
    QFile file(path);
    QByteArray last;
    bool torn = false;
    if (!file.open(QIODevice::ReadOnly) || !ReadLastLine(file, last, torn) || torn ||
        last.isEmpty())
        return false;
    const QJsonDocument doc = QJsonDocument::fromJson(last);
    if (!doc.isObject()) return false;
    event = doc.object();
    return true;
}

void DrawRecord::ContinueChain() {
    chainKnown_ = true;
    prev_.clear();
    seq_ = 0;
    restartReason_.clear();
    QFile file(path_);
    if (!file.exists() || file.size() == 0) return;  // a new record
    QByteArray last;
    bool torn = false;
    if (!file.open(QIODevice::ReadOnly) || !ReadLastLine(file, last, torn)) {
        restartReason_ = QStringLiteral("unreadable");
        return;
    }
    if (torn) {
        needsLineBreak_ = true;
        restartReason_ = QStringLiteral("torn");
        return;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(last);
    const QJsonObject obj = doc.object();
    if (!doc.isObject() || !obj.value(QLatin1String(RecordEvents::kSeq)).isDouble()) {
        restartReason_ = QStringLiteral("damaged");
        return;
    }
    if (!KnownVersion(obj.value(QLatin1String(RecordEvents::kVersion)).toInt())) {
        restartReason_ = QStringLiteral("other-version");
        return;
    }
    prev_ = LineHash(last);
    seq_ = static_cast<qint64>(obj.value(QLatin1String(RecordEvents::kSeq)).toDouble()) + 1;
}

bool DrawRecord::Append(QJsonObject event) {
    return Append(std::vector<QJsonObject>{std::move(event)});
}

bool DrawRecord::Append(const std::vector<QJsonObject>& events) {
    if (chainKnown_ && unwritten_.empty() && QFileInfo(path_).size() != sizeAfterWrite_) {
        file_.close();
        chainKnown_ = false;
    }
    if (!chainKnown_) ContinueChain();
    for (const QJsonObject& event : events) Queue(event);
    return WriteUnwritten();
}

void DrawRecord::Queue(QJsonObject event) {
    event.insert(QLatin1String(RecordEvents::kVersion), kVersion);
    event.insert(QLatin1String(RecordEvents::kSeq), static_cast<double>(seq_));
    event.insert(QLatin1String(RecordEvents::kPrev), prev_);
    if (prev_.isEmpty() && !restartReason_.isEmpty())
        event.insert(QLatin1String(RecordEvents::kRestart), restartReason_);
    const QByteArray line = QJsonDocument(event).toJson(QJsonDocument::Compact);
    prev_ = LineHash(line);
    ++seq_;
    unwritten_.push_back(line);
}

bool DrawRecord::WriteUnwritten() {
    const bool isNew = !QFileInfo::exists(path_);
    if (!file_.isOpen()) {
        file_.setFileName(path_);
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
            error_ = file_.errorString();
            return false;
        }
    }
    // A failed write may have left part of its lines (a full disk) or all of them (a failed
    // fsync); written again after them they would break the chain, so they are cut off.
    if (sizeBeforeFailure_ >= 0 && file_.size() > sizeBeforeFailure_)
        file_.resize(sizeBeforeFailure_);
    const qint64 before = file_.size();
    QByteArray bytes;
    if (needsLineBreak_) bytes.append('\n');
    for (const QByteArray& line : unwritten_) {
        bytes.append(line);
        bytes.append('\n');
    }
    const bool ok = file_.write(bytes) == bytes.size() && file_.flush() &&
                    !AtomicFileWriter::Fails(AtomicFileWriter::Step::Sync, path_) &&
                    Platform::FlushToDisk(file_.handle()) &&
                    (!isNew || Platform::SyncDirectory(QFileInfo(path_).absolutePath()));
    if (!ok) {
        error_ = file_.errorString();
        if (error_.isEmpty()) error_ = QStringLiteral("fsync failed");
        sizeBeforeFailure_ = before;
        if (file_.resize(before)) sizeBeforeFailure_ = -1;
        // Reopened next time: the device may be back by then.
        file_.close();
        return false;
    }
    needsLineBreak_ = false;
    sizeBeforeFailure_ = -1;
    unwritten_.clear();
    error_.clear();
    sizeAfterWrite_ = file_.size();
    return true;
}
