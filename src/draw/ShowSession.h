#pragma once

#include <QString>

#include <ctime>
#include <functional>
#include <memory>

#include "draw/RecordEvents.h"
#include "draw/ShowKeys.h"

class RecordKeeper;

// One show of the evening, as the room knows it by its fingerprint: its keys, what it sealed
// and its lines in the draw record. It lasts from its first start until every prize is drawn,
// the operator ends it or the program closes. Leaving the show window only pauses it; the next
// start resumes it with the same key chain, so the fingerprint the guests photographed covers
// the whole evening.
class ShowSession {
  public:
    ShowSession(RecordKeeper& record, const ShowKeys::Key& secret, int chainLength,
                std::function<std::time_t()> clock);
    ~ShowSession();
    ShowSession(const ShowSession&) = delete;
    ShowSession& operator=(const ShowSession&) = delete;

    // Writes the show's start (the commitment, the rules, the pools) and returns its
    // fingerprint's commitment; the key fields of start are filled in here.
    void Begin(RecordEvents::ShowStart start);
    // Whether a start with these rules is still the show that began: the same people take
    // part under the same rules.
    bool Covers(const RecordEvents::Seal& seal) const;
    // rollLeft: the names were rolling on a key no round kept; the pause reveals it.
    void Pause(bool rollLeft = false);
    void Resume();
    // The operator chose the prize that comes next.
    void ChoosePrize(int32_t prize, const QString& name);
    // A prize added during the show: written, and part of what the show covers from now on.
    void AddPrize(RecordEvents::PrizeAdded added);
    // Reveals the secret; nothing more is written for this show.
    void End();
    bool Ended() const { return ended_; }

    const QString& Id() const { return id_; }
    const ShowKeys& Keys() const { return *keys_; }
    // "ABCD EF01 2345 6789", of the commitment to the key and the rules.
    QString Fingerprint() const;
    const ShowKeys::Key& SealedCommitment() const { return sealed_; }
    const RecordEvents::Seal& Sealed() const { return seal_; }

    // The next rolling screen's key; rounds count across pauses.
    ShowKeys::Key NextRoundKey();
    int KeyIndex() const { return keyIndex_; }
    // Fills in the show and key of a kept round and writes it.
    void RecordRound(RecordEvents::Round round);

  private:
    QString Now() const;

    RecordKeeper& record_;
    std::unique_ptr<ShowKeys> keys_;
    std::function<std::time_t()> clock_;
    QString id_;
    RecordEvents::Seal seal_;
    ShowKeys::Key sealed_{};
    int keyIndex_ = 0;
    bool ended_ = false;
};
