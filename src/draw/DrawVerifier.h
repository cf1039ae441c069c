#pragma once

#include <QString>
#include <QStringList>

// Checks a folder's draw record against itself and against data.xml: the hash chain, every
// show replayed from its start line, its revealed keys and roll counts through the draw's own
// code, and every winner in data.xml accounted for by a recorded round and not removed since.
class DrawVerifier {
  public:
    enum Outcome { kPassed = 0, kDiffers = 1, kUnreadable = 2 };
    struct Report {
        Outcome outcome = kUnreadable;
        QStringList lines;  // one a show, then what differs, then a summary
    };

    // folder holds draw-record.jsonl and data.xml; it ends with "/" or not.
    static Report Verify(const QString& folder);
};
