#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

#include "ui/DefaultProgram.h"

bool DefaultProgram::ExistsFor(const QString& path) {
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
}
