#include "model/AtomicFileWriter.h"

#include <QFile>
#include <QFileInfo>

#include "model/Platform.h"

namespace {
const char* StepFailureText(AtomicFileWriter::Step step) {
    switch (step) {
        case AtomicFileWriter::Step::Open:
            return "Permission denied";
        case AtomicFileWriter::Step::Write:
            return "No space left on device";
        case AtomicFileWriter::Step::Flush:
        case AtomicFileWriter::Step::Sync:
            return "Input/output error";
        case AtomicFileWriter::Step::Rename:
            return "Read-only file system";
    }
    return "Input/output error";
}
}  // namespace

QString AtomicFileWriter::TemporaryPath(const QString& path) {
    // One fixed name per file, so a save killed half-way leaves something findable.
    return path + QStringLiteral(".saving");
}

void AtomicFileWriter::RemoveLeftover(const QString& path) {
    const QString temp = TemporaryPath(path);
    if (QFileInfo(temp).isFile()) QFile::remove(temp);
}

void AtomicFileWriter::InjectFailure(Step step, const QString& pathPart) {
    injectedStep_ = static_cast<int>(step);
    injectedPart_ = pathPart;
}

void AtomicFileWriter::ClearInjectedFailures() {
    injectedStep_ = -1;
    injectedPart_.clear();
    failAfter_ = -1;
}

bool AtomicFileWriter::Fails(Step step, const QString& path) {
    return injectedStep_ == static_cast<int>(step) && path.contains(injectedPart_);
}

bool AtomicFileWriter::Write(const QString& path, const QByteArray& bytes, QString* reason) {
    auto fail = [&](const QString& why) {
        if (reason) *reason = why;
        return false;
    };
    if (QFileInfo(path).isDir()) return fail(QStringLiteral("Is a directory"));
    // A file that is a symbolic link is replaced where it points, and keeps its permissions,
    // as an editor's save would do.
    const QFileInfo info(path);
    const QString target =
        info.isSymLink() && !info.symLinkTarget().isEmpty() ? info.symLinkTarget() : path;
    const QString temp = TemporaryPath(target);
    QFile file(temp);
    if (Fails(Step::Open, path)) return fail(QString::fromLatin1(StepFailureText(Step::Open)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return fail(file.errorString());
    if (QFileInfo::exists(target)) file.setPermissions(QFileInfo(target).permissions());
    auto abandon = [&](const QString& why) {
        file.close();
        QFile::remove(temp);
        return fail(why);
    };
    qint64 toWrite = bytes.size();
    if (failAfter_ >= 0 && failAfter_ < toWrite) toWrite = failAfter_;
    if (file.write(bytes.constData(), toWrite) != toWrite || toWrite != bytes.size() ||
        Fails(Step::Write, path)) {
        const QString why = file.error() != QFileDevice::NoError
                                ? file.errorString()
                                : QString::fromLatin1(StepFailureText(Step::Write));
        return abandon(why);
    }
    if (!file.flush() || Fails(Step::Flush, path))
        return abandon(file.error() != QFileDevice::NoError
                           ? file.errorString()
                           : QString::fromLatin1(StepFailureText(Step::Flush)));
    if (!Platform::FlushToDisk(file.handle()) || Fails(Step::Sync, path))
        return abandon(QString::fromLatin1(StepFailureText(Step::Sync)));
    file.close();
    QString renameError;
    if (Fails(Step::Rename, path)) {
        QFile::remove(temp);
        return fail(QString::fromLatin1(StepFailureText(Step::Rename)));
    }
    if (!Platform::ReplaceFile(temp, target, &renameError)) {
        QFile::remove(temp);
        return fail(renameError);
    }
    // The rename reaches the disk with its folder; a folder that cannot be synced keeps the
    // new file all the same.
    Platform::SyncDirectory(QFileInfo(target).absolutePath());
    return true;
}
