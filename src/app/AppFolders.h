#pragma once

#include <QString>
#include <QStringList>

// Where the program finds its shipped files and keeps the operator's. The portable build keeps
// everything in its own folder and falls back to the per-user data folder when that is not
// writable; the installed build reads its media from the share folder and always keeps the
// operator's files in the per-user data folder.
struct AppFolders {
    QString share;    // media and init.xml; ends with "/"
    QString data;     // cd.xml, data.xml, the draw record; ends with "/"
    QString library;  // the bridge library; ends with "/"
    // What the operator should be told at start (a fallback, something missing).
    QStringList notices;

    static AppFolders Resolve();
    // The layout for a program folder, as the portable build uses it; userFolder is where it
    // goes when programDir cannot be written.
    static AppFolders Portable(const QString& programDir, const QString& userFolder);
    static AppFolders Installed(const QString& shareDir, const QString& libraryDir,
                                const QString& userFolder);
    // True when a file can really be created in folder (permission bits lie for root and on
    // read-only mounts).
    static bool CanWriteIn(const QString& folder);
    // The operator's guide (index.html) for a share folder: beside the media in the portable
    // build, in the documentation folder when installed; empty when neither exists.
    static QString GuidePath(const QString& share);
};
