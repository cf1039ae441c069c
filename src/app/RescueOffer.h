#pragma once

#include <QString>

// At start, before the files are read: a save that failed in an earlier run left a rescue
// copy newer than the file itself; the operator is asked whether to take it back.
class RescueOffer {
  public:
    // Asks once for the newest rescue of each file of dataDir found in rescueFolder; Yes puts
    // it in place of the file. Returns how many were taken back.
    static int Offer(const QString& dataDir, const QString& rescueFolder);
};
