#pragma once

#include <QRect>
#include <QString>

#include <cstdint>

// One text element of the show screens with its font and colour.
struct DesignSymbol {
    int32_t Id = 0;
    QString label;
    QString FontName;
    int32_t fontSize = -1;  // points; -1 until the renderer has fitted it
    uint32_t Color = 0;     // 0x00BBGGRR, red in the low byte
    QRect box;              // area covered at the last paint
};
