#pragma once

#include <QString>

// Whether the desktop has a program registered for a file's type. Asked before opening a file
// because the desktop's own open call reports success even when nothing will show it.
class DefaultProgram {
  public:
    static bool ExistsFor(const QString& path);
};
