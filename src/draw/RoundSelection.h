#pragma once

#include <QRect>
#include <QString>

#include <cstdint>

// One name picked by a roll: who, the text shown, and the grid cell the renderer gave it.
struct RoundSelection {
    int32_t candidate = 0;
    QString text;
    QRect cell;           // empty until laid out
    bool voided = false;  // the winner was not in the room; struck through on screen
};
