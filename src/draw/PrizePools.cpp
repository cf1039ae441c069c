#include "draw/PrizePools.h"

#include <QHash>
#include <QSet>

#include <algorithm>

#include "model/AppData.h"
#include "model/Prize.h"

namespace {

// Each person's value of a field as a small number, so a scope is judged for 100,000 people
// by a table lookup instead of a string comparison each.
struct FieldClasses {
    std::vector<uint32_t> classOf;  // by position in the room
    QHash<QString, uint32_t> numbers;
};

FieldClasses Classify(const std::vector<const Candidate*>& room, bool group) {
    FieldClasses classes;
    classes.classOf.reserve(room.size());
    for (const Candidate* c : room) {
        const QString& value = group ? c->group : c->department;
        auto it = classes.numbers.constFind(value);
        if (it == classes.numbers.constEnd())
            it = classes.numbers.insert(value, uint32_t(classes.numbers.size()));
        classes.classOf.push_back(*it);
    }
    return classes;
}

}  // namespace

PrizePools PrizePools::FromModel(const AppData& data, const std::vector<Prize*>& prizes,
                                 const std::function<bool(int32_t)>& present) {
    PrizePools pools;
    pools.presentOnly_ = bool(present);
    std::vector<const Candidate*> room;
    room.reserve(data.CandidateMap().size());
    for (const auto& [id, c] : data.CandidateMap()) {
        if (c->excluded) {
            pools.excluded_.push_back(id);
        } else if (present && !present(id)) {
            pools.absent_.push_back(id);
        } else {
            pools.room_.push_back(id);
            room.push_back(c);
        }
    }
    FieldClasses classes[2];
    bool classified[2] = {false, false};
    for (const Prize* p : prizes) {
        Rule rule;
        rule.prize = p->id;
        rule.repeat = p->RepeatAllowed(data.AllowRepeat());
        rule.limited = p->scope.Limits();
        if (rule.limited) {
            rule.field = p->scope.field;
            rule.mode = p->scope.mode;
            rule.values = p->scope.values;
            const int f = p->scope.IsGroupField() ? 1 : 0;
            if (!classified[f]) {
                classes[f] = Classify(room, f == 1);
                classified[f] = true;
            }
            // Which values of the field the scope admits, then each person by their value.
            std::vector<uint8_t> admitted(size_t(classes[f].numbers.size()), 0);
            const QSet<QString> chosen(rule.values.begin(), rule.values.end());
            for (auto it = classes[f].numbers.constBegin(); it != classes[f].numbers.constEnd();
                 ++it)
                admitted[it.value()] = chosen.contains(it.key()) != p->scope.IsExcept();
            rule.members.resize(room.size());
            for (size_t i = 0; i < room.size(); ++i)
                rule.members[i] = admitted[classes[f].classOf[i]];
        }
        pools.rules_.push_back(std::move(rule));
    }
    return pools;
}

bool PrizePools::FromSeal(const RecordEvents::Seal& seal, PrizePools& out) {
    if (!std::is_sorted(seal.room.begin(), seal.room.end()) ||
        std::adjacent_find(seal.room.begin(), seal.room.end()) != seal.room.end())
        return false;
    for (const Rule& r : seal.prizes)
        if (r.limited && r.members.size() != seal.room.size()) return false;
    out.room_ = seal.room;
    out.excluded_ = seal.excluded;
    out.presentOnly_ = seal.presentOnly;
    out.absent_ = seal.absent;
    out.rules_ = seal.prizes;
    return true;
}

RecordEvents::Seal PrizePools::ToSeal() const {
    return RecordEvents::Seal{room_, excluded_, rules_, presentOnly_, absent_};
}

bool PrizePools::AddOpenPrize(int32_t prize, bool repeat) {
    if (RuleOf(prize)) return false;
    Rule rule;
    rule.prize = prize;
    rule.repeat = repeat;
    rules_.push_back(std::move(rule));
    return true;
}

const PrizePools::Rule* PrizePools::RuleOf(int32_t prize) const {
    for (const Rule& r : rules_)
        if (r.prize == prize) return &r;
    return nullptr;
}

bool PrizePools::AnyRule(bool globalRepeat) const {
    if (!excluded_.empty() || presentOnly_) return true;
    return std::any_of(rules_.begin(), rules_.end(),
                       [&](const Rule& r) { return r.limited || r.repeat != globalRepeat; });
}

std::ptrdiff_t PrizePools::IndexOf(int32_t candidate) const {
    auto it = std::lower_bound(room_.begin(), room_.end(), candidate);
    return it != room_.end() && *it == candidate ? it - room_.begin() : -1;
}

bool PrizePools::Admits(int32_t prize, int32_t candidate) const {
    const Rule* rule = RuleOf(prize);
    const std::ptrdiff_t at = IndexOf(candidate);
    if (!rule || at < 0) return false;
    return !rule->limited || rule->members[size_t(at)] != 0;
}

size_t PrizePools::MemberCount(int32_t prize) const {
    const Rule* rule = RuleOf(prize);
    if (!rule) return 0;
    if (!rule->limited) return room_.size();
    return size_t(std::count(rule->members.begin(), rule->members.end(), uint8_t(1)));
}

std::vector<int32_t> PrizePools::PoolFor(int32_t prize,
                                         const std::function<bool(int32_t)>& isWinner) const {
    std::vector<int32_t> pool;
    const Rule* rule = RuleOf(prize);
    if (!rule) return pool;
    pool.reserve(rule->limited ? MemberCount(prize) : room_.size());
    for (size_t i = 0; i < room_.size(); ++i) {
        if (rule->limited && !rule->members[i]) continue;
        if (!rule->repeat && isWinner && isWinner(room_[i])) continue;
        pool.push_back(room_[i]);
    }
    return pool;
}
