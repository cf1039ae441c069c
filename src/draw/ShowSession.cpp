#include "draw/ShowSession.h"

#include "draw/RecordKeeper.h"
#include "model/Utilities.h"

namespace {

bool SameRule(const RecordEvents::PrizeRule& a, const RecordEvents::PrizeRule& b) {
    return a.prize == b.prize && a.repeat == b.repeat && a.limited == b.limited &&
           a.field == b.field && a.mode == b.mode && a.values == b.values && a.members == b.members;
}

}  // namespace

ShowSession::ShowSession(RecordKeeper& record, const ShowKeys::Key& secret, int chainLength,
                         std::function<std::time_t()> clock)
    : record_(record),
      keys_(std::make_unique<ShowKeys>(secret, chainLength)),
      clock_(std::move(clock)),
      id_(ShowKeys::Hex(keys_->Commitment()).left(16)) {}

ShowSession::~ShowSession() = default;

QString ShowSession::Now() const {
    return LocalTimeText(clock_());
}

void ShowSession::Begin(RecordEvents::ShowStart start) {
    start.show = id_;
    start.time = Now();
    start.commit = keys_->Commitment();
    start.chain = keys_->ChainLength();
    if (start.seal) seal_ = *start.seal;
    sealed_ = RecordEvents::SealedCommitment(start);
    record_.Append(RecordEvents::Write(start));
}

bool ShowSession::Covers(const RecordEvents::Seal& seal) const {
    if (seal.room != seal_.room || seal.excluded != seal_.excluded ||
        seal.presentOnly != seal_.presentOnly || seal.absent != seal_.absent ||
        seal.prizes.size() != seal_.prizes.size())
        return false;
    for (size_t i = 0; i < seal.prizes.size(); ++i)
        if (!SameRule(seal.prizes[i], seal_.prizes[i])) return false;
    return true;
}

QString ShowSession::Fingerprint() const {
    return ShowKeys::Fingerprint(sealed_);
}

void ShowSession::Pause(bool rollLeft) {
    if (ended_) return;
    RecordEvents::Pause e{id_, Now(), false, 0, {}};
    if (rollLeft && keyIndex_ > 0) {
        e.leftKeyIndex = keyIndex_;
        e.leftKey = keys_->RoundKey(keyIndex_);
    }
    record_.Append(RecordEvents::Write(e));
}

void ShowSession::Resume() {
    if (!ended_) record_.Append(RecordEvents::Write(RecordEvents::Pause{id_, Now(), true, 0, {}}));
}

void ShowSession::ChoosePrize(int32_t prize, const QString& name) {
    if (!ended_) record_.Append(RecordEvents::Write(RecordEvents::Order{id_, Now(), prize, name}));
}

void ShowSession::AddPrize(RecordEvents::PrizeAdded added) {
    if (ended_) return;
    added.show = id_;
    added.time = Now();
    RecordEvents::PrizeRule rule;
    rule.prize = added.prize;
    rule.repeat = added.repeat;
    seal_.prizes.push_back(std::move(rule));
    record_.Append(RecordEvents::Write(added));
}

void ShowSession::End() {
    if (ended_) return;
    ended_ = true;
    record_.Append(
        RecordEvents::Write(RecordEvents::ShowEnd{id_, Now(), keys_->Secret(), keyIndex_}));
}

ShowKeys::Key ShowSession::NextRoundKey() {
    return keys_->RoundKey(++keyIndex_);
}

void ShowSession::RecordRound(RecordEvents::Round round) {
    round.show = id_;
    round.keyIndex = keyIndex_;
    round.key = keys_->RoundKey(keyIndex_);
    record_.Append(RecordEvents::Write(round));
}
