#pragma once

#include <QRect>
#include <QString>

#include <cstdint>

// The text elements of the show screens, by the Id their DesignSymbol is kept under.
namespace DesignElement {
enum Id : int32_t {
    Title = 0,           // welcome screen
    SmallTitle = 1,      // top band of the prize, rolling and winners screens
    PrizeInfo = 2,       // prize screen
    RollingNames = 3,    // rolling screen
    WinnerNames = 4,     // winners screen
    Subtitle = 5,        // kept in the files; no screen draws it
    SmallPrizeInfo = 6,  // rolling and winners screens
};
}  // namespace DesignElement

// One text element of the show screens with its font and colour.
struct DesignSymbol {
    int32_t Id = 0;
    QString label;
    QString FontName;
    int32_t fontSize = -1;  // points; -1 until the renderer has fitted it
    uint32_t Color = 0;     // 0x00BBGGRR, red in the low byte
    QRect box;              // area covered at the last paint
};
