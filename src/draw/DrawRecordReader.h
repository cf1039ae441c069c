#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QJsonObject>
#include <QString>

// Reads the draw record line by line with bounded memory and checks its hash chain: each
// line must name the SHA-256 of the line before it. A line that breaks the chain, cannot be
// read, is too long or comes from another version is reported, never fatal.
class DrawRecordReader {
  public:
    enum class Status {
        Ok,
        Damaged,       // not a JSON object of this record, or too long
        OtherVersion,  // written by another version of the program
        BrokenChain,   // does not name the line before it
        Restarted,     // starts a new chain after the first line
    };
    struct Line {
        qint64 number = 0;  // 1-based
        Status status = Status::Ok;
        QJsonObject event;  // empty unless the line could be read
    };

    explicit DrawRecordReader(QIODevice& device) : in_(device) {}
    // False at the end of the record.
    bool Next(Line& line);

  private:
    QIODevice& in_;
    QByteArray piece_;  // reused: a fresh megabyte for every line made long records slow
    QString prevHash_;
    qint64 number_ = 0;
};
