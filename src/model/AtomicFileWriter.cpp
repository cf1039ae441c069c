#include "model/AtomicFileWriter.h"

#include <QFileInfo>
#include <QSaveFile>

#include "model/Platform.h"

bool AtomicFileWriter::Write(const QString& path, const QByteArray& bytes) {
    if (QFileInfo(path).isDir()) return false;
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return false;
    qint64 toWrite = bytes.size();
    if (failAfter_ >= 0 && failAfter_ < toWrite) toWrite = failAfter_;
    if (file.write(bytes.constData(), toWrite) != toWrite || toWrite != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    if (!file.flush() || !Platform::FlushToDisk(file.handle())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
