#pragma once

#include <QImage>
#include <QString>

// The picture a prize screen shows: the prize's own file when it decodes, else the program's
// stand-in (example/def_prize.png). Each is decoded once and kept while it stays current.
class PrizePictures {
  public:
    // programDir ends with "/".
    explicit PrizePictures(const QString& programDir);

    // The picture for a prize's image file; null when neither it nor the stand-in can be
    // shown. isDefault tells which of the two it is.
    const QImage& For(const QString& imagePath, bool* isDefault);

  private:
    QString defaultPath_;
    QImage default_;
    QString ownPath_;
    QImage own_;
};
