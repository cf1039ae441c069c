#pragma once

#include <QString>

#include <cstdint>
#include <vector>

class AppData;
struct Winner;

// Replaces the candidate list with a corrected one on the day. A person of the new list whose
// draw key matches someone of the old keeps that someone's id, so the winners among them stay
// winners and the record of earlier shows still verifies; winners nobody matches are deleted
// (and told to the record). Planned first, so the operator can be told before it happens.
class ListReplacement {
  public:
    struct Row {
        QString no;
        QString name;
        QString department;
        QString tel;
        QString group;
        bool excluded = false;
    };

    ListReplacement(const AppData& data, std::vector<Row> rows, int fieldType);

    // Winners whose candidate is still on the new list, and those who are not.
    int KeptWinners() const { return int(kept_.size()); }
    int DroppedWinners() const { return int(dropped_.size()); }
    // People of the new list matched to someone of the old.
    int Matched() const { return matched_; }

    // Deletes the unmatched winners, then puts the new list in place of the old.
    void Apply(AppData& data);

  private:
    std::vector<Row> rows_;
    std::vector<int32_t> ids_;  // per row: the old id it keeps, or -1 for a new person
    std::vector<const Winner*> kept_;
    std::vector<const Winner*> dropped_;
    int matched_ = 0;
};
