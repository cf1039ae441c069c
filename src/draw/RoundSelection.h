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
    // What the screens show when it differs from text (a mobile number partly hidden); text
    // stays what is recorded and kept.
    QString shown;
    const QString& Shown() const { return shown.isEmpty() ? text : shown; }
};
