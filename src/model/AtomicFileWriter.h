#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file without ever leaving a truncated one behind: the bytes go to a temporary
// file beside it, are flushed to disk, the temporary file is renamed over the old one, and the
// folder is flushed so the rename survives a power cut. On any failure the old file stays as
// it was and the temporary file is removed.
class AtomicFileWriter {
  public:
    // The steps a save goes through, in order.
    enum class Step { Open, Write, Flush, Sync, Rename };

    // False on failure, with the system's reason in *reason when given.
    static bool Write(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

    // The temporary name a save of path writes to before the rename.
    static QString TemporaryPath(const QString& path);
    // Removes the temporary file a killed save of path left behind.
    static void RemoveLeftover(const QString& path);

    // Test seams: a write fails after this many bytes as a full disk would; or the given step
    // fails for every path containing pathPart, as a pulled stick or read-only folder would.
    static void SimulateFailureAfter(qint64 bytes) { failAfter_ = bytes; }
    static void InjectFailure(Step step, const QString& pathPart);
    static void ClearInjectedFailures();
    // Whether an injected failure hits this step of path (other writers share the seam).
    static bool Fails(Step step, const QString& path);

  private:
    static inline qint64 failAfter_ = -1;
    static inline int injectedStep_ = -1;
    static inline QString injectedPart_;
};
