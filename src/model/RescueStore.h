#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <map>
#include <vector>

// Where a file goes when it cannot be saved where it belongs: a complete copy in the per-user
// data folder, named after the file and the time of the first failure
// (data-rescue-YYYYMMDD-HHMMSS.xml). Later failures of the same run update that same copy.
// A note beside each copy names the file it stands in for, so the next start in that folder
// can offer it back.
class RescueStore {
  public:
    struct Rescue {
        QString path;      // the rescue copy
        QString original;  // the file it stands in for
        QDateTime written;
    };

    // folder: the per-user data folder (created on first use).
    explicit RescueStore(const QString& folder);

    const QString& Folder() const { return folder_; }
    // Writes bytes as the rescue of original; the rescue's path is in *rescuePath. False
    // (with the reason) when even that fails.
    bool Write(const QString& original, const QByteArray& bytes, QString* rescuePath,
               QString* reason);
    // Rescues of files in dataDir that are newer than the files themselves (or whose file is
    // gone), newest first.
    std::vector<Rescue> NewerThanOriginals(const QString& dataDir) const;

    // The per-user data folder: QStandardPaths' AppDataLocation for "Vantoria".
    static QString UserFolder();

  private:
    QString folder_;
    struct Entry {
        QString path;
        bool noted = false;  // the note beside it is written (it never changes in a run)
    };
    std::map<QString, Entry> thisRun_;  // original -> its rescue in this run
};
