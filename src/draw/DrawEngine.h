#pragma once

#include <QString>

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "draw/DrawPool.h"
#include "draw/KeyedStream.h"
#include "draw/PrizePools.h"
#include "draw/RecordKeeper.h"
#include "draw/RoundState.h"
#include "draw/ShowKeys.h"
#include "draw/ShowSession.h"

class AppData;
struct Candidate;
struct Prize;
class ShowHost;

// Turns candidates, prizes and rules into rounds and winners: validation, the prize queue,
// the split of a prize over its rounds, the random pick, and recording each round in the
// model and in the draw record. One per model, owned by whoever runs the shows; it lives
// across shows so a later show continues where an earlier one stopped.
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
        // A prize whose scope admits nobody who takes part; the detail is its name.
        kNoneInScope = -9,
        // Only people checked in take part, and nobody has checked in.
        kNobodyPresent = -10,
    };

    // Keeps the draw record of the model's folder from now on, the model's removals included.
    explicit DrawEngine(AppData& data);
    // Ends a paused show: the program is closing.
    ~DrawEngine();
    DrawEngine(const DrawEngine&) = delete;
    DrawEngine& operator=(const DrawEngine&) = delete;

    // At start-up: voids a round on record that never reached data.xml.
    void ReconcileRecord() { record_.Reconcile(); }
    RecordKeeper& Record() { return record_; }

    // Calendar time in whole seconds, for the time stamps; tests replace it.
    void SetClock(std::function<std::time_t()> clock) { clock_ = std::move(clock); }
    std::time_t Now() const { return clock_(); }
    // Where each show's secret comes from: the operating system's entropy unless a test
    // injects a fixed key to make the picks reproducible.
    void SetSecretSource(std::function<ShowKeys::Key()> source) {
        secretSource_ = std::move(source);
    }
    // Rounds a show can reveal one by one (the hash chain's length); simulations of thousands
    // of shows shorten it.
    void SetKeyChainLength(int length) { chainLength_ = length; }

    QString DrawKeyText(const Candidate* candidate) const;
    QString DrawKeyText(int32_t candidateId) const;
    QString PrizeText(const Prize* prize) const;
    // The same for a prize layout (PrizeUIType): name and content on two lines in picture mode.
    static QString PrizeText(const Prize* prize, int prizeUIType);
    bool IsWinner(int32_t candidateId) const;
    int WinnerCount(int32_t prizeId) const;
    int RemainingCandidates() const;
    // The draw-key texts of everyone the current roll may show (pool and pending list).
    std::vector<QString> EligibleKeyTexts() const;
    int ChooseDrawKeyField();

    bool ValidateDraw(ShowHost& host);
    // Runs the show window until the operator leaves it. A show left before every prize is
    // drawn is paused, and the next start resumes it (same keys, same fingerprint) unless the
    // people or the rules changed meanwhile; then it ends and a new show begins. A rehearsal
    // runs a show of its own and leaves a paused one as it was.
    bool StartDraw(ShowHost& host);
    // Ends the paused show of the evening, revealing its secret ("结束本场").
    void EndShow();
    bool HasPausedShow() const { return session_ != nullptr; }
    // The fingerprint of the paused show; empty when there is none.
    QString PausedFingerprint() const { return session_ ? session_->Fingerprint() : QString(); }
    void AdvanceStep();
    void RollSelection();

    // Voids the winner of selection entry index on the winners screen (not in the room):
    // the record is removed and saved, the name struck through, and the next step leads to a
    // redraw round for every voided place. False when there is nothing to void there.
    bool VoidWinner(int index);
    // On the prize screen: the next (forward) or the last (back) prize still to be drawn comes
    // up instead of the current one, which keeps its place in the running order; told to the
    // record. False when nothing else is left to choose or the screen is not a prize screen.
    bool ChooseNextPrize(bool forward);
    // Whether ChooseNextPrize would change anything now: the prize screen, with at least two
    // prizes still to draw.
    bool CanChooseNextPrize() const;
    // 加奖 on the prize screen: a prize open to everyone who takes part, stored like any other,
    // told to the record and drawn next. The new prize's id, or -1 when none can be added here
    // (another screen, a redraw pending, a rehearsal, or counts out of range).
    int32_t AddPrizeDuringShow(const QString& name, const QString& content, int count, int rounds);
    // Whether a prize may be added now, whatever its counts.
    bool CanAddPrizeDuringShow() const;
    // Marks the next shows as rehearsals on screen; keeping nothing is the model's part.
    void SetRehearsal(bool on) { rehearsal_ = on; }

    void BuildPrizeQueue();
    void SkipCompletedPrizes();
    void ComputeRound();
    void CommitRound();
    // Sets the current prize of a round state as a step does (text and picture file).
    void SetCurrentPrize(RoundState& round, int32_t prizeId) const;
    static void SetCurrentPrize(RoundState& round, const AppData& data, int32_t prizeId);

    // The running show; null when none runs.
    RoundState* Round() { return round_.get(); }
    // Creates a fresh round state (used by StartDraw and by design mode's preview).
    std::unique_ptr<RoundState> NewRoundState() const;
    static std::unique_ptr<RoundState> NewRoundState(const AppData& data);
    void DropRound() { round_.reset(); }

    const std::vector<Prize*>& PrizeQueue() const { return queue_; }
    size_t Cursor() const { return cursor_; }
    Prize* CurrentQueuedPrize() const;
    std::vector<int32_t> CandidatePoolIds() const { return pool_.PoolIds(); }
    // Who may win what in the running show.
    const PrizePools& Pools() const { return pools_; }
    const std::vector<int32_t>& PendingList() const { return pool_.Pending(); }

    // How far the running show has got.
    int KeyIndex() const { return show_ ? show_->KeyIndex() : 0; }
    int RollsThisRound() const { return rolls_; }

  private:
    // A prize in the running order that still has winners to draw.
    bool ToDraw(const Prize* p) const;
    void ClearQueueAndPool();
    // The round's copy of what the status line shows of the pool.
    void SyncRemaining();
    std::unordered_set<int32_t> WinnerIds() const;
    // Who may be in the room when only those checked in take part; empty otherwise.
    std::function<bool(int32_t)> PresentFilter() const;
    // Builds the pool of a prize when it comes up (nothing when it is up already).
    void SwitchPool(const Prize* prize);
    RecordEvents::ShowStart ShowStartEvent() const;
    void RecordRound(const QString& stamp);

    AppData& data_;
    RecordKeeper record_;
    std::function<std::time_t()> clock_;
    std::function<ShowKeys::Key()> secretSource_;
    std::vector<Prize*> queue_;
    size_t cursor_ = 0;
    std::unique_ptr<RoundState> round_;
    PrizePools pools_;
    // Draw-key text and what the screen shows of it, by candidate, for the show under way.
    std::unordered_map<int32_t, std::pair<QString, QString>> keyTexts_;
    DrawPool pool_;  // the current prize's
    int32_t poolPrize_ = -1;
    bool poolRepeat_ = false;
    std::unique_ptr<ShowSession> session_;  // the evening's show, paused between runs
    ShowSession* show_ = nullptr;           // the one running: session_ or a rehearsal's
    std::unique_ptr<KeyedStream> stream_;   // the current round's key stream
    int rolls_ = 0;                         // rolls made on the current rolling screen
    int chainLength_ = ShowKeys::kChainLength;
    int redrawPending_ = 0;  // places voided on the current winners screen
    QString roundStamp_;     // time stamp of the last committed round
    bool rehearsal_ = false;
};
