#include "model/RescueStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

#include "model/AtomicFileWriter.h"

namespace {
const QString kNoteSuffix = QStringLiteral(".origin");
}

RescueStore::RescueStore(const QString& folder) : folder_(QDir::cleanPath(folder)) {}

QString RescueStore::UserFolder() {
    // The folder is named after the application; without one (a bare library user) it is
    // named explicitly, so the files never land in a nameless folder.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (QCoreApplication::applicationName().isEmpty() || folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                 QStringLiteral("/Vantoria");
    return folder;
}

bool RescueStore::Write(const QString& original, const QByteArray& bytes, QString* rescuePath,
                        QString* reason) {
    auto it = thisRun_.find(original);
    if (it == thisRun_.end()) {
        const QFileInfo info(original);
        const QString stamp =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString path = folder_ + QLatin1Char('/') + info.completeBaseName() +
                       QStringLiteral("-rescue-") + stamp + QLatin1Char('.') + info.suffix();
        for (int n = 2; QFileInfo::exists(path); ++n) {
            path = folder_ + QLatin1Char('/') + info.completeBaseName() +
                   QStringLiteral("-rescue-") + stamp + QLatin1Char('-') + QString::number(n) +
                   QLatin1Char('.') + info.suffix();
        }
        it = thisRun_.emplace(original, Entry{path}).first;
    }
    Entry& rescue = it->second;
    if (rescuePath) *rescuePath = rescue.path;
    if (!QDir().mkpath(folder_)) {
        if (reason) *reason = QStringLiteral("cannot create ") + folder_;
        return false;
    }
    if (!AtomicFileWriter::Write(rescue.path, bytes, reason)) return false;
    // The note names the original, so a rescue is never offered for the wrong folder.
    if (!rescue.noted)
        rescue.noted = AtomicFileWriter::Write(
            rescue.path + kNoteSuffix, QFileInfo(original).absoluteFilePath().toUtf8(), reason);
    return rescue.noted;
}

std::vector<RescueStore::Rescue> RescueStore::NewerThanOriginals(const QString& dataDir) const {
    std::vector<Rescue> found;
    const QDir dir(folder_);
    const QString wanted = QDir(dataDir).absolutePath();
    const QStringList names =
        dir.entryList({QStringLiteral("*-rescue-*.xml")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QString path = dir.absoluteFilePath(name);
        QFile note(path + kNoteSuffix);
        if (!note.open(QIODevice::ReadOnly) || note.size() > 64 * 1024) continue;
        const QString original = QString::fromUtf8(note.readAll()).trimmed();
        const QFileInfo originalInfo(original);
        if (originalInfo.absolutePath() != wanted) continue;
        const QFileInfo rescueInfo(path);
        if (originalInfo.exists() && originalInfo.lastModified() >= rescueInfo.lastModified())
            continue;
        found.push_back(Rescue{path, original, rescueInfo.lastModified()});
    }
    std::sort(found.begin(), found.end(),
              [](const Rescue& a, const Rescue& b) { return a.written > b.written; });
    return found;
}
