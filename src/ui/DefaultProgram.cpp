#include "ui/DefaultProgram.h"

#include <QFileInfo>

#if defined(_WIN32)
#include <shlwapi.h>
#include <windows.h>
#else
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#endif

bool DefaultProgram::ExistsFor(const QString& path) {
#if defined(_WIN32)
    const QString suffix = QLatin1Char('.') + QFileInfo(path).suffix();
    wchar_t program[MAX_PATH];
    DWORD size = MAX_PATH;
    return AssocQueryStringW(ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_EXECUTABLE,
                             reinterpret_cast<const wchar_t*>(suffix.utf16()), nullptr, program,
                             &size) == S_OK;
#else
    // xdg-open finds its program through the same query; without the tool nothing opens files.
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty()) return false;
    const QString type = QMimeDatabase().mimeTypeForFile(QFileInfo(path)).name();
    QProcess query;
    query.start(tool, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return true;  // a slow desktop is not proof that nothing is there
    }
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
#endif
}
