#include "show/PrizePictures.h"

#include <QImageReader>

#include "model/Utilities.h"

namespace {

QImage Decode(const QString& path) {
    if (!FileExists(path, false)) return QImage();
    QImageReader reader(path);
    return reader.read();  // null when it fails to decode
}

}  // namespace

PrizePictures::PrizePictures(const QString& programDir)
    : defaultPath_(programDir + QStringLiteral("example/def_prize.png")) {}

const QImage& PrizePictures::For(const QString& imagePath, bool* isDefault) {
    if (imagePath != ownPath_) {
        ownPath_ = imagePath;
        own_ = imagePath.isEmpty() ? QImage() : Decode(imagePath);
    }
    const bool useDefault = own_.isNull();
    if (isDefault) *isDefault = useDefault;
    if (!useDefault) return own_;
    // A stand-in that is missing is looked for again: it may be put in place while the
    // program runs, and a full paint happens only when the screen changes.
    if (default_.isNull()) default_ = Decode(defaultPath_);
    return default_;
}
