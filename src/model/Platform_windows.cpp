#include <windows.h>

#include <io.h>

// windows.h names ReplaceFileW ReplaceFile; ours is Platform::ReplaceFile.
#undef ReplaceFile

#include <QDir>
#include <QThread>

#include "model/Platform.h"

namespace {

const wchar_t* Wide(const QString& path) {
    return reinterpret_cast<const wchar_t*>(path.utf16());
}

QString SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString message = n ? QString::fromWCharArray(text, int(n)).trimmed()
                        : QStringLiteral("Windows error %1").arg(code);
    if (text) LocalFree(text);
    return message;
}

// A virus scanner or the search indexer opens a file just written for a moment; a replace
// that meets it is tried again before it counts as failed.
bool Transient(DWORD code) {
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION ||
           code == ERROR_ACCESS_DENIED;
}

// What the operator may have set on the old file in Explorer. ReplaceFileW carries it over on
// Windows, but neither Wine's ReplaceFileW nor MoveFileExW do, so it is set again.
void KeepAttributes(const QString& target, DWORD old) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (old == INVALID_FILE_ATTRIBUTES || (old & kKept) == 0) return;
    const DWORD now = GetFileAttributesW(Wide(target));
    if (now != INVALID_FILE_ATTRIBUTES && (now & kKept) != (old & kKept))
        SetFileAttributesW(Wide(target), (now & ~kKept & ~FILE_ATTRIBUTE_NORMAL) | (old & kKept));
}

}  // namespace

namespace Platform {

bool FlushToDisk(int fd) {
    if (fd < 0) return false;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE) return false;
    return FlushFileBuffers(handle) != 0;
}

bool SyncDirectory(const QString& folder) {
    const QString native =
        QDir::toNativeSeparators(folder.isEmpty() ? QDir::currentPath() : folder);
    if (GetFileAttributesW(Wide(native)) == INVALID_FILE_ATTRIBUTES) return false;
    // NTFS flushes a folder's entries when its handle is flushed; file systems and rights
    // that do not allow it leave the rename to the file system's own journal.
    const HANDLE dir = CreateFileW(Wide(native), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (dir == INVALID_HANDLE_VALUE) return true;
    const bool ok = FlushFileBuffers(dir) != 0;
    const DWORD code = ok ? ERROR_SUCCESS : GetLastError();
    CloseHandle(dir);
    return ok || code == ERROR_ACCESS_DENIED || code == ERROR_INVALID_FUNCTION ||
           code == ERROR_NOT_SUPPORTED;
}

bool ReplaceFile(const QString& from, const QString& to, QString* reason) {
    const QString source = QDir::toNativeSeparators(from);
    const QString target = QDir::toNativeSeparators(to);
    DWORD code = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (attempt > 0) QThread::msleep(50);
        const DWORD old = GetFileAttributesW(Wide(target));
        // ReplaceFileW keeps the old file's rights; it needs an old file.
        if (old != INVALID_FILE_ATTRIBUTES &&
            ReplaceFileW(Wide(target), Wide(source), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                         nullptr, nullptr)) {
            KeepAttributes(target, old);
            return true;
        }
        code = GetLastError();
        // No old file, or one ReplaceFileW cannot take (another volume, a read-only copy).
        if (MoveFileExW(Wide(source), Wide(target),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            KeepAttributes(target, old);
            return true;
        }
        code = GetLastError();
        if (!Transient(code)) break;
    }
    if (reason) *reason = SystemMessage(code);
    return false;
}

}  // namespace Platform
