#pragma once

#include <QJsonObject>

#include <memory>
#include <vector>

#include "model/WinnerRemoval.h"

class AppData;
class DrawRecord;

// Keeps the draw record of a model's folder: the engine's events and every winner the model
// lets go (it installs itself as the model's removal sink). Nothing is written while the model
// is read-only; a record that cannot be written is reported like a failed save and never stops
// the caller.
class RecordKeeper {
  public:
    explicit RecordKeeper(AppData& data);
    ~RecordKeeper();
    RecordKeeper(const RecordKeeper&) = delete;
    RecordKeeper& operator=(const RecordKeeper&) = delete;

    bool Append(const QJsonObject& event);
    // Written and synced together.
    bool Append(const std::vector<QJsonObject>& events);

    // At start-up: a round on record whose winners never reached data.xml was cut short before
    // anyone saw it (the program was killed between the two writes); the record voids it.
    void Reconcile();

  private:
    void Removed(const std::vector<WinnerRemoval>& removals);

    AppData& data_;
    std::unique_ptr<DrawRecord> record_;
};
