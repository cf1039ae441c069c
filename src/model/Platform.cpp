#include "model/Platform.h"

#include <QFile>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#endif

namespace Platform {

bool FlushToDisk(int fd) {
    if (fd < 0) return false;
#if defined(_WIN32)
    return _commit(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

bool SyncDirectory(const QString& folder) {
#if defined(_WIN32)
    // NTFS commits the rename with the file's own flush.
    Q_UNUSED(folder);
    return true;
#else
    const QByteArray path = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int rc = ::fsync(fd);
    // Some file systems cannot sync a folder; the data itself is already on disk then.
    if (rc != 0 && (errno == EINVAL || errno == ENOTSUP)) rc = 0;
    ::close(fd);
    return rc == 0;
#endif
}

bool ReplaceFile(const QString& from, const QString& to, QString* reason) {
#if defined(_WIN32)
    const bool ok = MoveFileExW(reinterpret_cast<const wchar_t*>(from.utf16()),
                                reinterpret_cast<const wchar_t*>(to.utf16()),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok && reason) *reason = QStringLiteral("MoveFileEx failed");
    return ok;
#else
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    if (reason) *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
#endif
}

}  // namespace Platform
