#pragma once

#include <QString>

// The few calls that differ between operating systems.
namespace Platform {
// Forces the written data of an open file descriptor to the disk.
bool FlushToDisk(int fd);
// Forces a folder's entries (a rename or a new file in it) to the disk. Where the system has
// no such call, or the file system refuses it, this is a no-op that reports true.
bool SyncDirectory(const QString& folder);
// Renames from over to in one step, replacing to when it exists.
bool ReplaceFile(const QString& from, const QString& to, QString* reason);
}  // namespace Platform
