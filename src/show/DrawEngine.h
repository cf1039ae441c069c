#pragma once

#include <QString>

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

#include "show/CandidatePool.h"
#include "show/RoundState.h"

class AppData;
struct Candidate;
struct Prize;
class ShowHost;

// Turns candidates, prizes and rules into rounds and winners: validation, the prize queue,
// the split of a prize over its rounds, the random pick, and recording each round.
// Part of AppData; lives across shows so a later show continues where an earlier one stopped.
class DrawEngine {
  public:
    // Status codes of ValidateDraw.
    enum Status {
        kOk = 0,
        kNoCandidates = -1,
        kNoPrizes = -2,
        kPoolEmpty = -3,
        kAllPrizesDone = -4,
        kEmptyDrawKey = -5,
        kDuplicateDrawKey = -6,
        kMusicMissing = -7,
        kOperatorDeclined = -8,
    };

    explicit DrawEngine(AppData& data);
    ~DrawEngine();

    // Calendar time in whole seconds; tests replace it to make rolls and stamps reproducible.
    void SetClock(std::function<std::time_t()> clock) { clock_ = std::move(clock); }
    std::time_t Now() const { return clock_(); }

    QString DrawKeyText(const Candidate* candidate) const;
    QString DrawKeyText(int32_t candidateId) const;
    QString PrizeText(const Prize* prize) const;
    bool IsWinner(int32_t candidateId) const;
    int WinnerCount(int32_t prizeId) const;
    int RemainingCandidates() const;
    int ChooseDrawKeyField();

    bool ValidateDraw(ShowHost& host);
    bool StartDraw(ShowHost& host);
    void AdvanceStep();
    void RollSelection();

    void BuildPrizeQueue();
    void SkipCompletedPrizes();
    void ComputeRound();
    void CommitRound();
    // Sets the current prize of a round state as a step does (text and picture).
    void SetCurrentPrize(RoundState& round, int32_t prizeId) const;

    // The running show; null when none runs.
    RoundState* Round() { return round_.get(); }
    // Creates a fresh round state (used by StartDraw and by design mode's preview).
    std::unique_ptr<RoundState> NewRoundState() const;
    void DropRound() { round_.reset(); }

    const std::vector<Prize*>& PrizeQueue() const { return queue_; }
    size_t Cursor() const { return cursor_; }
    Prize* CurrentQueuedPrize() const;
    std::vector<int32_t> CandidatePoolIds() const { return pool_.Ids(); }
    const std::vector<int32_t>& PendingList() const { return pending_; }

    // The generator: state = state * 214013 + 2531011 (mod 2^32), value = bits 16..30.
    void Seed(uint32_t seed) { rand_ = seed; }
    int NextRandom() {
        rand_ = rand_ * 214013u + 2531011u;
        return static_cast<int>((rand_ >> 16) & 0x7fff);
    }

  private:
    void ClearQueueAndPool();

    AppData& data_;
    std::function<std::time_t()> clock_;
    std::vector<Prize*> queue_;
    size_t cursor_ = 0;
    std::unique_ptr<RoundState> round_;
    CandidatePool pool_;
    std::vector<int32_t> pending_;
    uint32_t rand_ = 1;
};
