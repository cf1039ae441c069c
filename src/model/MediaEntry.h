#pragma once

#include <QString>

// One selectable background picture or music file.
struct MediaEntry {
    QString name;        // display name
    QString path;        // full path
    bool added = false;  // added by the operator (only these are stored)
};
