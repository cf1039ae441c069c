#pragma once

#include <QString>

class AppData;

// data.xml (and init.xml, same format): prizes, settings, design elements and winners.
class DataFile {
  public:
    // True when the file was read to its end. What was read before an error stays.
    static bool Load(AppData& data, const QString& path, bool isDefaultsFile);
    // Writes the whole file anew; false leaves the old file as it was.
    static bool Save(const AppData& data, const QString& path);
};
