#pragma once

#include <QByteArray>
#include <QImage>

// A QR code drawn with libqrencode: black modules on white, with the quiet zone of four modules
// a scanner needs round it.
class QrImage {
  public:
    static constexpr int kQuietModules = 4;
    // Each module moduleSize pixels square; null when the text cannot be encoded.
    static QImage Make(const QByteArray& text, int moduleSize);
    // The modules of one side, quiet zone included; 0 when the text cannot be encoded.
    static int ModulesFor(const QByteArray& text);
};
