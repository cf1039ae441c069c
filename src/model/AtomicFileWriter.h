#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file without ever leaving a truncated one behind: the bytes go to a temporary
// file in the same folder, are flushed to disk, and the temporary file is renamed over the
// old one. On any failure the old file stays as it was.
class AtomicFileWriter {
  public:
    static bool Write(const QString& path, const QByteArray& bytes);

    // Test seam: when set, a write fails after this many bytes as a full disk would.
    static void SimulateFailureAfter(qint64 bytes) { failAfter_ = bytes; }

  private:
    static inline qint64 failAfter_ = -1;
};
