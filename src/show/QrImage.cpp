#include "show/QrImage.h"

#include <qrencode.h>

#include <QPainter>

#include <memory>

namespace {

struct Free {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

std::unique_ptr<QRcode, Free> Encode(const QByteArray& text) {
    // Level M: a code photographed across a hall survives some blur.
    return std::unique_ptr<QRcode, Free>(
        QRcode_encodeString8bit(text.constData(), 0, QR_ECLEVEL_M));
}

}  // namespace

int QrImage::ModulesFor(const QByteArray& text) {
    const auto code = Encode(text);
    return code ? code->width + 2 * kQuietModules : 0;
}

QImage QrImage::Make(const QByteArray& text, int moduleSize) {
    const auto code = Encode(text);
    if (!code || moduleSize < 1) return QImage();
    const int side = (code->width + 2 * kQuietModules) * moduleSize;
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                p.fillRect((x + kQuietModules) * moduleSize, (y + kQuietModules) * moduleSize,
                           moduleSize, moduleSize, Qt::black);
    return image;
}
