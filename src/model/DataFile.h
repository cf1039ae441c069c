#pragma once

#include <QByteArray>
#include <QString>

class AppData;

// data.xml (and init.xml, same format): prizes, settings, design elements and winners.
class DataFile {
  public:
    // True when the file was read to its end. What was read before an error stays.
    static bool Load(AppData& data, const QString& path, bool isDefaultsFile);
    // The whole file as it is written; empty when it cannot be built.
    static QByteArray Serialize(const AppData& data);
};
