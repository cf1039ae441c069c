#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "draw/RecordEvents.h"

class AppData;
struct Prize;

// Who may win each prize of a show. The room is everyone who takes part (not marked 不参与抽奖),
// in ascending id; a prize whose scope limits anybody admits only its members of the room.
// Fixed when the show starts and sealed in the record, so the replay builds each prize's pool
// from exactly the same sets, through this same class.
class PrizePools {
  public:
    using Rule = RecordEvents::PrizeRule;

    PrizePools() = default;
    // The room and the rules of the prizes as they stand in the model; globalRepeat is the
    // AllowRepeat rule that prizes without one of their own follow.
    // present, when given, admits only those it names to the room (the rest are absent).
    static PrizePools FromModel(const AppData& data, const std::vector<Prize*>& prizes,
                                const std::function<bool(int32_t)>& present = {});
    // The same from a show's sealed start; false when the seal does not hold together.
    static bool FromSeal(const RecordEvents::Seal& seal, PrizePools& out);
    RecordEvents::Seal ToSeal() const;
    // A prize added during the show, open to the whole room; false when it already has a rule.
    bool AddOpenPrize(int32_t prize, bool repeat);

    const std::vector<int32_t>& Room() const { return room_; }
    const std::vector<int32_t>& Excluded() const { return excluded_; }
    bool PresentOnly() const { return presentOnly_; }
    const std::vector<int32_t>& Absent() const { return absent_; }
    // Null for a prize the show did not start with.
    const Rule* RuleOf(int32_t prize) const;
    // Whether any prize has a rule of its own or anybody is left out: without, every prize
    // draws from everyone by the global rule.
    bool AnyRule(bool globalRepeat) const;

    bool Admits(int32_t prize, int32_t candidate) const;
    // How many of the room the prize admits.
    size_t MemberCount(int32_t prize) const;
    // The pool a prize starts from: the members of the room it admits in ascending id, without
    // those isWinner names unless the prize allows earlier winners.
    std::vector<int32_t> PoolFor(int32_t prize, const std::function<bool(int32_t)>& isWinner) const;

  private:
    // Position of candidate in the room; -1 when not in it.
    std::ptrdiff_t IndexOf(int32_t candidate) const;

    std::vector<int32_t> room_;
    std::vector<int32_t> excluded_;
    std::vector<Rule> rules_;
    bool presentOnly_ = false;
    std::vector<int32_t> absent_;
};
