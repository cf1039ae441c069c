#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonObject>
#include <QString>

#include <vector>

// The draw record beside data.xml: append-only, one JSON object a line, UTF-8. Every line
// names the SHA-256 of the line before it, so no line can be changed, added or removed in the
// middle without breaking the chain. Each line is on disk (fsync) before Append returns.
class DrawRecord {
  public:
    // 2: shows carry their rules (a seal) and draw each prize from a pool of its own. Lines of
    // version 1 are still read and continued.
    static constexpr int kVersion = 2;
    static constexpr int kOldestVersion = 1;
    static bool KnownVersion(int v) { return v >= kOldestVersion && v <= kVersion; }
    // Lines longer than this are damage, never read whole.
    static constexpr qint64 kMaxLineBytes = 64 * 1024 * 1024;

    static QString FileName();

    explicit DrawRecord(const QString& path);
    ~DrawRecord();
    DrawRecord(const DrawRecord&) = delete;
    DrawRecord& operator=(const DrawRecord&) = delete;

    const QString& Path() const { return path_; }

    // Adds "v", "seq" and "prev" to the event and appends it. False when it (or an earlier
    // line that could not be written) is not on disk yet; those lines are tried again first
    // by the next call, so a passing failure loses nothing.
    bool Append(QJsonObject event);
    // The events in order, written and synced together.
    bool Append(const std::vector<QJsonObject>& events);
    // Why the last Append failed.
    const QString& LastError() const { return error_; }

    // Lowercase hex SHA-256 of a line's bytes (without its line break).
    static QString LineHash(const QByteArray& line);
    // The last line of a record as an event; false when there is none or it cannot be read.
    static bool ReadLastEvent(const QString& path, QJsonObject& event);

  private:
    // Reads the last line to continue its chain; starts a new segment after a damaged,
    // torn or newer-version tail. restartReason_ says why.
    void ContinueChain();
    void Queue(QJsonObject event);
    bool WriteUnwritten();

    QString path_;
    QFile file_;
    bool chainKnown_ = false;
    qint64 sizeAfterWrite_ = -1;     // a different size means someone else changed the file
    qint64 sizeBeforeFailure_ = -1;  // where a failed write began: its bytes are cut off
    bool needsLineBreak_ = false;    // a torn last line is closed before anything is added
    QString prev_;
    qint64 seq_ = 0;
    QString restartReason_;
    std::vector<QByteArray> unwritten_;
    QString error_;
};
