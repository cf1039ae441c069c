#include "draw/DrawEngine.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <unordered_set>

#include "draw/DrawKeyCheck.h"
#include "draw/DrawKeyRules.h"
#include "draw/RecordEvents.h"
#include "draw/ShowHost.h"
#include "model/AppData.h"
#include "model/Prize.h"
#include "model/Utilities.h"

DrawEngine::DrawEngine(AppData& data)
    : data_(data),
      record_(data),
      clock_([] { return std::time(nullptr); }),
      secretSource_([] { return ShowKeys::FromEntropy(); }) {}

DrawEngine::~DrawEngine() {
    EndShow();
}

void DrawEngine::EndShow() {
    if (!session_) return;
    session_->End();
    session_.reset();
}

QString DrawEngine::DrawKeyText(const Candidate* c) const {
    if (!c) return QString();
    return DrawKeyRules::Text(c->NO, c->name, c->department, c->tel, data_.FieldType());
}

QString DrawEngine::DrawKeyText(int32_t candidateId) const {
    return DrawKeyText(data_.FindCandidate(candidateId));
}

QString DrawEngine::PrizeText(const Prize* p) const {
    return PrizeText(p, data_.PrizeUIType());
}

QString DrawEngine::PrizeText(const Prize* p, int prizeUIType) {
    if (!p) return QString();
    return p->name +
           (prizeUIType == PrizeLayout::Picture ? QStringLiteral("\n") : QStringLiteral(" ")) +
           p->content;
}

bool DrawEngine::IsWinner(int32_t candidateId) const {
    return data_.IsWinner(candidateId);
}

int DrawEngine::WinnerCount(int32_t prizeId) const {
    return data_.WinnerCount(prizeId);
}

int DrawEngine::RemainingCandidates() const {
    return static_cast<int>(pool_.Remaining());
}

std::vector<QString> DrawEngine::EligibleKeyTexts() const {
    std::vector<QString> texts;
    texts.reserve(pool_.Remaining());
    for (int32_t id : pool_.PoolIds()) texts.push_back(DrawKeyText(id));
    for (int32_t id : pool_.Pending()) texts.push_back(DrawKeyText(id));
    return texts;
}

void DrawEngine::ClearQueueAndPool() {
    queue_.clear();
    cursor_ = 0;
    pool_.Clear();
    poolPrize_ = -1;
}

void DrawEngine::BuildPrizeQueue() {
    queue_ = data_.PrizesInDrawOrder();
    cursor_ = 0;
}

Prize* DrawEngine::CurrentQueuedPrize() const {
    return cursor_ < queue_.size() ? queue_[cursor_] : nullptr;
}

bool DrawEngine::ToDraw(const Prize* p) const {
    return p && data_.WinnerCount(p->id) < p->count;
}

void DrawEngine::SkipCompletedPrizes() {
    while (cursor_ < queue_.size()) {
        if (ToDraw(queue_[cursor_])) return;
        ++cursor_;
    }
}

bool DrawEngine::ValidateDraw(ShowHost& host) {
    if (data_.Candidates().empty()) {
        data_.SetDrawStatus(kNoCandidates, QString());
        return false;
    }
    if (data_.Prizes().empty()) {
        data_.SetDrawStatus(kNoPrizes, QString());
        return false;
    }

    // Draw keys in ascending id order: the first empty or repeated one fails, whichever comes
    // first. Keys after the first empty one are not looked at.
    {
        std::vector<QString> keys;
        keys.reserve(data_.CandidateMap().size());
        for (const auto& [id, c] : data_.CandidateMap()) {
            keys.push_back(DrawKeyText(c).trimmed());
            if (keys.back().isEmpty()) break;
        }
        const DrawKeyCheck check(keys);
        if (check.FirstRepeat() < check.FirstEmpty()) {
            data_.SetDrawStatus(kDuplicateDrawKey, keys[check.FirstRepeat()]);
            return false;
        }
        if (check.FirstEmpty() != DrawKeyCheck::kNone) {
            data_.SetDrawStatus(kEmptyDrawKey, QString());
            return false;
        }
    }

    const QString music = data_.MusicList().SelectedPath();
    if (!FileExists(music, false)) {
        data_.SetDrawStatus(kMusicMissing, music);
        return false;
    }

    BuildPrizeQueue();
    int64_t slotsLeft = 0;
    for (const Prize* p : queue_) {
        const int64_t left = int64_t(p->count) - data_.WinnerCount(p->id);
        if (left > 0) slotsLeft += left;
    }
    if (slotsLeft == 0) {
        ClearQueueAndPool();
        data_.SetDrawStatus(kAllPrizesDone, QString());
        return false;
    }

    // Each prize draws from its own pool: who takes part, passes its scope and its rule on
    // earlier winners.
    pools_ = PrizePools::FromModel(data_, queue_, PresentFilter());
    if (pools_.PresentOnly() && pools_.Room().empty()) {
        ClearQueueAndPool();
        data_.SetDrawStatus(kNobodyPresent, QString());
        return false;
    }
    for (const Prize* p : queue_) {
        if (p->count > data_.WinnerCount(p->id) && p->scope.Limits() &&
            pools_.MemberCount(p->id) == 0) {
            ClearQueueAndPool();
            data_.SetDrawStatus(kNoneInScope, p->name);
            return false;
        }
    }
    const std::unordered_set<int32_t> winners = WinnerIds();
    const auto isWinner = [&winners](int32_t id) { return winners.count(id) > 0; };
    const std::vector<int32_t>& room = pools_.Room();
    std::vector<uint8_t> anyPool(room.size(), 0);  // in some prize's pool
    std::vector<uint8_t> onePool(room.size(), 0);  // in the pool of a prize without repeats
    int64_t slotsWithoutRepeats = 0;
    std::optional<ShowHost::Shortage> shortOfOne;  // the first prize short of its own people
    for (const Prize* p : queue_) {
        const int64_t left = int64_t(p->count) - data_.WinnerCount(p->id);
        if (left <= 0) continue;
        const PrizePools::Rule* rule = pools_.RuleOf(p->id);
        const std::vector<int32_t> pool = pools_.PoolFor(p->id, isWinner);
        for (int32_t id : pool) {
            const size_t at = size_t(std::lower_bound(room.begin(), room.end(), id) - room.begin());
            anyPool[at] = 1;
            if (!rule->repeat) onePool[at] = 1;
        }
        if (rule->repeat) continue;
        slotsWithoutRepeats += left;
        if (!shortOfOne && int64_t(pool.size()) < left)
            shortOfOne = ShowHost::Shortage{left, int64_t(pool.size()), p->name};
    }
    if (std::find(anyPool.begin(), anyPool.end(), 1) == anyPool.end()) {
        ClearQueueAndPool();
        data_.SetDrawStatus(kPoolEmpty, QString());
        return false;
    }
    const int64_t withoutRepeats = std::count(onePool.begin(), onePool.end(), 1);
    // With rules, the prize that is short of its own people is the one to name.
    std::optional<ShowHost::Shortage> shortage;
    if (shortOfOne && pools_.AnyRule(data_.AllowRepeat()))
        shortage = shortOfOne;
    else if (withoutRepeats < slotsWithoutRepeats)
        shortage = ShowHost::Shortage{slotsWithoutRepeats, withoutRepeats, QString()};
    if (pools_.PresentOnly() &&
        !host.ConfirmPresent(int64_t(pools_.Room().size()),
                             int64_t(pools_.Room().size() + pools_.Absent().size()))) {
        ClearQueueAndPool();
        data_.SetDrawStatus(kOperatorDeclined, QString());
        return false;
    }
    if (shortage && !host.AskToContinue(*shortage)) {
        ClearQueueAndPool();
        data_.SetDrawStatus(kOperatorDeclined, QString());
        return false;
    }
    // The pool of the first prize is built when the show starts.
    pool_.Clear();
    poolPrize_ = -1;
    data_.SetDrawStatus(kOk, QString());
    return true;
}

std::unique_ptr<RoundState> DrawEngine::NewRoundState() const {
    return NewRoundState(data_);
}

std::unique_ptr<RoundState> DrawEngine::NewRoundState(const AppData& data) {
    auto round = std::make_unique<RoundState>();
    round->title = data.Title();
    return round;
}

std::function<bool(int32_t)> DrawEngine::PresentFilter() const {
    if (!data_.CheckIn().LimitsToPresent()) return {};
    // A show that began keeps the people it began with: a guest checking in during a pause
    // does not change the show the room photographed.
    if (session_ && !session_->Ended() && session_->Sealed().presentOnly) {
        const std::vector<int32_t>& room = session_->Sealed().room;
        return [&room](int32_t id) { return std::binary_search(room.begin(), room.end(), id); };
    }
    const CheckInLog& log = data_.CheckIns();
    return [&log](int32_t id) { return log.Contains(id); };
}

std::unordered_set<int32_t> DrawEngine::WinnerIds() const {
    std::unordered_set<int32_t> ids;
    for (const auto& [prize, vec] : data_.Winners())
        for (const auto& w : vec) ids.insert(w->candidate);
    return ids;
}

void DrawEngine::SwitchPool(const Prize* prize) {
    if (!prize || prize->id == poolPrize_) return;
    const PrizePools::Rule* rule = pools_.RuleOf(prize->id);
    const std::unordered_set<int32_t> winners = WinnerIds();
    pool_.Reset(
        pools_.PoolFor(prize->id, [&winners](int32_t id) { return winners.count(id) > 0; }));
    poolPrize_ = prize->id;
    poolRepeat_ = rule && rule->repeat;
}

void DrawEngine::SyncRemaining() {
    if (round_) round_->remaining = RemainingCandidates();
}

bool DrawEngine::StartDraw(ShowHost& host) {
    keyTexts_.clear();  // the list or the draw key may have changed since the last show
    if (!ValidateDraw(host)) return false;
    cursor_ = 0;
    SkipCompletedPrizes();
    rolls_ = 0;
    stream_.reset();
    redrawPending_ = 0;
    poolPrize_ = -1;
    SwitchPool(CurrentQueuedPrize());
    // The commitment and the rules are on disk before the room sees their fingerprint.
    RecordEvents::ShowStart start = ShowStartEvent();
    std::unique_ptr<ShowSession> rehearsal;
    if (rehearsal_) {
        rehearsal = std::make_unique<ShowSession>(record_, secretSource_(), chainLength_, clock_);
        rehearsal->Begin(std::move(start));
        show_ = rehearsal.get();
    } else {
        if (session_ && !session_->Covers(*start.seal)) EndShow();  // people or rules changed
        if (session_) {
            session_->Resume();
        } else {
            session_ =
                std::make_unique<ShowSession>(record_, secretSource_(), chainLength_, clock_);
            session_->Begin(std::move(start));
        }
        show_ = session_.get();
    }
    round_ = NewRoundState();
    round_->rehearsal = rehearsal_;
    round_->fingerprint = show_->Fingerprint();
    round_->commitment = ShowKeys::Hex(show_->SealedCommitment()).toUpper();
    SyncRemaining();
    host.RunShow();
    if (!rehearsal_) {
        // Every prize drawn ends the show; leaving it before only pauses it.
        const bool allDrawn = std::none_of(queue_.begin(), queue_.end(),
                                           [this](const Prize* p) { return ToDraw(p); });
        if (allDrawn)
            EndShow();
        else
            session_->Pause(stream_ != nullptr);  // a roll left unkept had taken a key
    }
    show_ = nullptr;
    round_.reset();
    stream_.reset();
    queue_.clear();
    cursor_ = 0;
    pool_.Clear();
    poolPrize_ = -1;
    return true;
}

void DrawEngine::SetCurrentPrize(RoundState& round, int32_t prizeId) const {
    SetCurrentPrize(round, data_, prizeId);
}

void DrawEngine::SetCurrentPrize(RoundState& round, const AppData& data, int32_t prizeId) {
    round.prizeId = prizeId;
    round.prizeImage.clear();
    const Prize* p = data.FindPrize(prizeId);
    if (!p) {
        round.prizeText = round.placeholderPrizeText;
        return;
    }
    round.prizeText = PrizeText(p, data.PrizeUIType());
    round.prizeImage = p->image;
}

void DrawEngine::ComputeRound() {
    if (!round_) return;
    const Prize* p = data_.FindPrize(round_->prizeId);
    if (!p) return;
    // A hand-edited file may hold rounds outside 1..count: keep the arithmetic defined.
    const int batch = std::max(1, p->batch);
    const int drawn = data_.WinnerCount(p->id);
    const int perRound = std::max(1, p->count / batch);
    const int roundsDone = drawn / perRound;
    int roundsLeft = batch - roundsDone;
    if (roundsLeft <= 0) roundsLeft = 1;
    round_->roundNumber = roundsDone + 1;
    round_->batchSize = (p->count - drawn) / roundsLeft;
    if (round_->batchSize < 1 && p->count > drawn) round_->batchSize = 1;
}

void DrawEngine::AdvanceStep() {
    if (!round_) return;
    const int s = round_->state;
    if (s == RoundState::kFinished) return;
    if (cursor_ >= queue_.size()) {
        round_->state = RoundState::kFinished;
        return;
    }
    int n = s + 1;
    if (s == RoundState::kWinners && redrawPending_ > 0) {
        // Voided places are drawn again at once, before the prize goes on with its rounds.
        SetCurrentPrize(*round_, round_->prizeId);
        round_->redraw = redrawPending_;
        round_->batchSize = redrawPending_;
        redrawPending_ = 0;
        round_->selection.clear();
        round_->state = RoundState::kPrize;
        return;
    }
    if (s == RoundState::kWinners) {
        round_->redraw = 0;
        const Prize* p = CurrentQueuedPrize();
        if (!p || data_.WinnerCount(p->id) >= p->count) {
            SkipCompletedPrizes();
            if (cursor_ >= queue_.size()) {
                round_->state = RoundState::kFinished;
                return;
            }
        }
        n = RoundState::kPrize;
    }
    if (round_->redraw == 0) {
        SetCurrentPrize(*round_, CurrentQueuedPrize()->id);
        SwitchPool(CurrentQueuedPrize());
        ComputeRound();
    }
    if (n == RoundState::kPrize) {
        round_->selection.clear();
    } else if (n == RoundState::kRolling) {
        // Every rolling screen draws with a key of its own, revealed when its round is kept.
        rolls_ = 0;
        if (show_) stream_ = std::make_unique<KeyedStream>(show_->NextRoundKey());
        RollSelection();
    } else if (n == RoundState::kWinners) {
        CommitRound();
    }
    round_->state = n;
    SyncRemaining();
}

void DrawEngine::RollSelection() {
    if (!round_ || !stream_) return;
    round_->selection.clear();
    ++rolls_;
    const bool hide = data_.HidePhoneDigits() && data_.FieldType() == 3;
    for (int32_t id : pool_.Roll(round_->batchSize, *stream_)) {
        // A round of hundreds rolls every 20 ms: each text is made once per show, then shared.
        auto cached = keyTexts_.find(id);
        if (cached == keyTexts_.end()) {
            const QString text = DrawKeyText(id);
            cached =
                keyTexts_
                    .emplace(id, std::make_pair(
                                     text, hide ? DrawKeyRules::HidePhoneDigits(text) : QString()))
                    .first;
        }
        round_->selection.push_back(
            RoundSelection{id, cached->second.first, QRect(), false, cached->second.second});
    }
    SyncRemaining();
}

void DrawEngine::CommitRound() {
    if (!round_) return;
    const QString stamp = LocalTimeText(clock_());
    roundStamp_ = stamp;
    std::vector<int32_t> ids;
    ids.reserve(round_->selection.size());
    for (const RoundSelection& e : round_->selection) ids.push_back(e.candidate);
    // The record line is on disk before the winners are kept and shown.
    RecordRound(stamp);
    AppData::WinnerVector& winners = data_.WinnerVectorOf(round_->prizeId);
    for (const RoundSelection& e : round_->selection) {
        auto w = std::make_unique<Winner>();
        w->prize = round_->prizeId;
        w->candidate = e.candidate;
        w->show = e.text;
        w->time = stamp;
        winners.push_back(std::move(w));
    }
    pool_.Commit(ids, poolRepeat_);
    stream_.reset();
    data_.Save(AppData::kSaveData);
}

bool DrawEngine::VoidWinner(int index) {
    if (!round_ || round_->state != RoundState::kWinners || index < 0 ||
        index >= int(round_->selection.size()))
        return false;
    RoundSelection& entry = round_->selection[size_t(index)];
    if (entry.voided) return false;
    // The record of this very round: same prize, person and time stamp, the latest first.
    AppData::WinnerVector* winners = data_.WinnersOfPrize(round_->prizeId);
    if (!winners) return false;
    const Winner* record = nullptr;
    for (auto it = winners->rbegin(); it != winners->rend(); ++it) {
        if ((*it)->candidate == entry.candidate && (*it)->time == roundStamp_) {
            record = it->get();
            break;
        }
    }
    if (!record) return false;
    data_.RemoveWinner(record, AppData::Removal::Voided);
    data_.Save(AppData::kSaveData);
    entry.voided = true;
    ++redrawPending_;
    return true;
}

RecordEvents::ShowStart DrawEngine::ShowStartEvent() const {
    RecordEvents::ShowStart e;
    e.field = data_.FieldType();
    e.repeat = data_.AllowRepeat();
    e.pool = pool_.PoolIds();
    for (const Prize* p : queue_)
        e.prizes.push_back({p->id, p->name, p->count, p->batch, data_.WinnerCount(p->id)});
    for (const auto& [prize, vec] : data_.Winners())
        for (const auto& w : vec) e.winners.emplace_back(w->prize, w->candidate);
    e.seal = pools_.ToSeal();
    return e;
}

void DrawEngine::RecordRound(const QString& stamp) {
    if (!show_) return;
    const Prize* prize = data_.FindPrize(round_->prizeId);
    RecordEvents::Round e;
    e.prize = round_->prizeId;
    e.prizeName = prize ? prize->name : QString();
    e.round = round_->roundNumber;
    e.batch = round_->batchSize;
    e.rolls = rolls_;
    e.redraw = round_->redraw > 0;
    e.time = stamp;
    for (const RoundSelection& s : round_->selection) e.winners.emplace_back(s.candidate, s.text);
    show_->RecordRound(std::move(e));
}

int DrawEngine::ChooseDrawKeyField() {
    if (data_.FieldTypeChosenByOperator()) return data_.FieldType();
    for (const auto& c : data_.Candidates())
        if (DrawKeyRules::HasKey(DrawKeyText(c.get()))) return data_.FieldType();
    std::array<int, 4> counts{};
    for (const auto& c : data_.Candidates()) {
        const int first = DrawKeyRules::FirstFilledField(c->NO, c->name, c->department, c->tel);
        if (first >= 0) ++counts[size_t(first)];
    }
    const int best = DrawKeyRules::MostCommonFirstField(counts);
    if (best < 0) return data_.FieldType();
    data_.SetFieldType(best, false);
    return best;
}

bool DrawEngine::CanChooseNextPrize() const {
    if (!round_ || round_->state != RoundState::kPrize || round_->redraw > 0 ||
        redrawPending_ > 0 || cursor_ >= queue_.size())
        return false;
    return std::count_if(queue_.begin() + std::ptrdiff_t(cursor_), queue_.end(),
                         [this](const Prize* p) { return ToDraw(p); }) >= 2;
}

bool DrawEngine::ChooseNextPrize(bool forward) {
    if (!CanChooseNextPrize()) return false;
    const auto first = queue_.begin() + std::ptrdiff_t(cursor_);
    // The current prize goes to the end of what is left (or the last comes to the front), so
    // stepping on visits every prize once.
    do {
        if (forward)
            std::rotate(first, first + 1, queue_.end());
        else
            std::rotate(first, queue_.end() - 1, queue_.end());
    } while (!ToDraw(*first));
    const Prize* chosen = *first;
    SetCurrentPrize(*round_, chosen->id);
    poolPrize_ = -1;  // built anew, as the replay does after the choice
    SwitchPool(chosen);
    ComputeRound();
    round_->selection.clear();
    SyncRemaining();
    if (show_) show_->ChoosePrize(chosen->id, chosen->name);
    return true;
}

bool DrawEngine::CanAddPrizeDuringShow() const {
    return round_ && round_->state == RoundState::kPrize && round_->redraw == 0 &&
           redrawPending_ == 0 && !rehearsal_ && show_;
}

int32_t DrawEngine::AddPrizeDuringShow(const QString& name, const QString& content, int count,
                                       int rounds) {
    if (!CanAddPrizeDuringShow() || name.trimmed().isEmpty() || count < 1 || rounds < 1 ||
        rounds > count)
        return -1;
    int32_t index = 0;
    for (const auto& [id, p] : data_.Prizes()) index = std::max(index, p->index + 1);
    const int32_t id =
        data_.AddPrize(name.trimmed(), content.trimmed(), count, rounds, QString(), index);
    Prize* prize = data_.FindPrize(id);
    if (!prize) return -1;
    const bool repeat = prize->RepeatAllowed(data_.AllowRepeat());
    pools_.AddOpenPrize(id, repeat);
    RecordEvents::PrizeAdded added;
    added.prize = id;
    added.name = prize->name;
    added.content = prize->content;
    added.count = count;
    added.batch = rounds;
    added.repeat = repeat;
    show_->AddPrize(std::move(added));
    data_.Save(AppData::kSaveData);
    // Drawn next: it stands where the current prize stood, which follows it.
    cursor_ = std::min(cursor_, queue_.size());
    queue_.insert(queue_.begin() + std::ptrdiff_t(cursor_), prize);
    SetCurrentPrize(*round_, id);
    poolPrize_ = -1;
    SwitchPool(prize);
    ComputeRound();
    round_->selection.clear();
    SyncRemaining();
    return id;
}
