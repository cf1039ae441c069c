#include "model/Platform.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Platform {

bool FlushToDisk(int fd) {
    if (fd < 0) return false;
    return ::fsync(fd) == 0;
}

bool SyncDirectory(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int rc = ::fsync(fd);
    // Some file systems cannot sync a folder; the data itself is already on disk then.
    if (rc != 0 && (errno == EINVAL || errno == ENOTSUP)) rc = 0;
    ::close(fd);
    return rc == 0;
}

bool ReplaceFile(const QString& from, const QString& to, QString* reason) {
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    if (reason) *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

}  // namespace Platform
