#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

// Who has checked in, kept in its own append-only file beside data.xml: one JSON object a
// line, each on disk before the call that wrote it returns, so a check-in answered "ok"
// survives the program being killed at any moment. The guests' service calls it from its own
// threads while the windows read it: every call takes the lock.
class CheckInLog {
  public:
    enum class Result { Added, Already, Failed };
    enum class Source { Phone, Hand };

    static QString FileName() { return QStringLiteral("checkin.jsonl"); }

    // Reads what the file holds; an empty path keeps everything in memory (read-only models,
    // tests). A torn last line (killed mid-write, never answered) is skipped.
    explicit CheckInLog(const QString& path);
    ~CheckInLog();
    CheckInLog(const CheckInLog&) = delete;
    CheckInLog& operator=(const CheckInLog&) = delete;

    const QString& Path() const { return path_; }

    Result Add(int32_t candidate, const QString& name, Source source);
    // Undoes one check-in (the operator's hand); false when it was not there or not written.
    bool Remove(int32_t candidate);
    // Every check-in at once (asked first by the caller).
    bool Clear();

    bool Contains(int32_t candidate) const;
    size_t Count() const;
    // Seconds since the epoch of the check-in; 0 when none.
    int64_t TimeOf(int32_t candidate) const;
    std::vector<int32_t> Ids() const;
    // Changes with every change, so a view can tell cheaply whether to refresh.
    uint64_t Generation() const;
    QString LastError() const;

  private:
    void Load();
    bool AppendLine(const QByteArray& line);

    QString path_;
    mutable std::mutex mutex_;
    QFile file_;
    std::unordered_map<int32_t, int64_t> times_;
    uint64_t generation_ = 0;
    bool needsBreak_ = false;  // the file ends in a torn line
    QString error_;
};
