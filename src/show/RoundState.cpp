#include "show/RoundState.h"

#include <QImageReader>

#include "model/Utilities.h"

RoundState::RoundState(const QString& programDir)
    : defaultPicturePath(programDir + QStringLiteral("example/def_prize.png")) {}

const QImage& RoundState::DefaultPicture() {
    if (!defaultPictureLoaded_) {
        defaultPictureLoaded_ = true;
        if (FileExists(defaultPicturePath, false)) {
            QImageReader reader(defaultPicturePath);
            defaultPicture_ = reader.read();
        }
    }
    return defaultPicture_;
}
