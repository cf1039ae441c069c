#include "model/CheckInLog.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include "model/Platform.h"

namespace {

// No line the program writes comes near this; a longer one is damage.
constexpr qsizetype kMaxLineBytes = 4096;

int64_t Now() {
    return QDateTime::currentSecsSinceEpoch();
}

// The name is for a reader of the file; the id is what counts. Bounded so a line stays well
// below kMaxLineBytes even escaped (a longer one would be skipped as damage, the check-in lost).
constexpr qsizetype kMaxNameChars = 256;

QString BoundedName(const QString& name) {
    if (name.size() <= kMaxNameChars) return name;
    const qsizetype n =
        name.at(kMaxNameChars - 1).isHighSurrogate() ? kMaxNameChars - 1 : kMaxNameChars;
    return name.left(n);
}

QByteArray Line(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

}  // namespace

CheckInLog::CheckInLog(const QString& path) : path_(path) {
    Load();
}

CheckInLog::~CheckInLog() = default;

void CheckInLog::Load() {
    if (path_.isEmpty()) return;
    QFile in(path_);
    if (!in.open(QIODevice::ReadOnly)) return;
    if (in.size() > 0 && in.seek(in.size() - 1)) {
        char last = '\n';
        in.getChar(&last);
        needsBreak_ = last != '\n';
        in.seek(0);
    }
    while (!in.atEnd()) {
        const QByteArray line = in.readLine(kMaxLineBytes + 2).trimmed();
        if (line.isEmpty() || line.size() > kMaxLineBytes) continue;
        QJsonParseError error{};
        const QJsonObject o = QJsonDocument::fromJson(line, &error).object();
        if (error.error != QJsonParseError::NoError) continue;
        const QString type = o.value(QStringLiteral("type")).toString();
        const int64_t time = int64_t(o.value(QStringLiteral("time")).toDouble());
        const double id = o.value(QStringLiteral("id")).toDouble(-1);
        const bool validId = id >= 0 && id <= double(INT32_MAX) && id == double(int64_t(id));
        if (type == QLatin1String("in") && validId)
            times_.emplace(int32_t(id), time);
        else if (type == QLatin1String("out") && validId)
            times_.erase(int32_t(id));
        else if (type == QLatin1String("clear"))
            times_.clear();
    }
    generation_ = 1;
}

bool CheckInLog::AppendLine(const QByteArray& line) {
    if (path_.isEmpty()) return true;
    if (!file_.isOpen()) {
        const bool existed = QFileInfo::exists(path_);
        file_.setFileName(path_);
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
            error_ = file_.errorString();
            return false;
        }
        // A new file's name must reach the disk too, or the first answer "ok" could be lost.
        if (!existed) Platform::SyncDirectory(QFileInfo(path_).absolutePath());
    }
    // A line torn by a kill (or a failed write) is closed first: an empty line reads as nothing.
    QByteArray bytes;
    if (needsBreak_) bytes.append('\n');
    bytes.append(line).append('\n');
    if (file_.write(bytes) != bytes.size() || !file_.flush() ||
        !Platform::FlushToDisk(file_.handle())) {
        error_ = file_.errorString();
        file_.close();  // reopened, and the tear closed, by the next write
        needsBreak_ = true;
        return false;
    }
    needsBreak_ = false;
    return true;
}

CheckInLog::Result CheckInLog::Add(int32_t candidate, const QString& name, Source source) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (times_.count(candidate)) return Result::Already;
    const int64_t time = Now();
    const QJsonObject o{{QStringLiteral("type"), QStringLiteral("in")},
                        {QStringLiteral("id"), candidate},
                        {QStringLiteral("name"), BoundedName(name)},
                        {QStringLiteral("by"), source == Source::Phone ? QStringLiteral("phone")
                                                                       : QStringLiteral("hand")},
                        {QStringLiteral("time"), double(time)}};
    if (!AppendLine(Line(o))) return Result::Failed;
    times_.emplace(candidate, time);
    ++generation_;
    return Result::Added;
}

bool CheckInLog::Remove(int32_t candidate) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!times_.count(candidate)) return false;
    const QJsonObject o{{QStringLiteral("type"), QStringLiteral("out")},
                        {QStringLiteral("id"), candidate},
                        {QStringLiteral("time"), double(Now())}};
    if (!AppendLine(Line(o))) return false;
    times_.erase(candidate);
    ++generation_;
    return true;
}

bool CheckInLog::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (times_.empty()) return true;
    const QJsonObject o{{QStringLiteral("type"), QStringLiteral("clear")},
                        {QStringLiteral("time"), double(Now())}};
    if (!AppendLine(Line(o))) return false;
    times_.clear();
    ++generation_;
    return true;
}

bool CheckInLog::Contains(int32_t candidate) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return times_.count(candidate) > 0;
}

size_t CheckInLog::Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return times_.size();
}

int64_t CheckInLog::TimeOf(int32_t candidate) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = times_.find(candidate);
    return it == times_.end() ? 0 : it->second;
}

std::vector<int32_t> CheckInLog::Ids() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<int32_t> ids;
    ids.reserve(times_.size());
    for (const auto& [id, time] : times_) ids.push_back(id);
    return ids;
}

uint64_t CheckInLog::Generation() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return generation_;
}

QString CheckInLog::LastError() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}
