#pragma once

#include <QByteArray>
#include <QString>

class AppData;

// cd.xml: the candidate list in insertion order.
class CandidateFile {
  public:
    // Appends the stored candidates; true when the file was read to its end. A file that is
    // not well-formed adds nothing; an error in a candidate keeps those before it.
    static bool Load(AppData& data, const QString& path);
    // The whole file as it is written; empty when it cannot be built.
    static QByteArray Serialize(const AppData& data);
};
