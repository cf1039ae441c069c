#include "draw/ListReplacement.h"

#include <QHash>

#include <algorithm>
#include <memory>
#include <unordered_set>

#include "draw/DrawKeyRules.h"
#include "model/AppData.h"
#include "model/Candidate.h"
#include "model/Winner.h"

ListReplacement::ListReplacement(const AppData& data, std::vector<Row> rows, int fieldType)
    : rows_(std::move(rows)) {
    // Old people by their draw key; a key that repeats on the old list matches its first.
    QHash<QString, int32_t> old;
    for (const auto& c : data.Candidates()) {
        const QString key =
            DrawKeyRules::Text(c->NO, c->name, c->department, c->tel, fieldType).trimmed();
        if (DrawKeyRules::HasKey(key) && !old.contains(key)) old.insert(key, c->id);
    }
    std::unordered_set<int32_t> taken;
    ids_.reserve(rows_.size());
    for (const Row& r : rows_) {
        const QString key =
            DrawKeyRules::Text(r.no, r.name, r.department, r.tel, fieldType).trimmed();
        const auto it = old.constFind(key);
        // Each old id goes to one new row only: a repeated key on the new list is a new person.
        if (DrawKeyRules::HasKey(key) && it != old.constEnd() && taken.insert(*it).second) {
            ids_.push_back(*it);
            ++matched_;
        } else {
            ids_.push_back(-1);
        }
    }
    std::vector<Winner*> winners;
    data.WinnersInDrawOrder(winners);
    for (const Winner* w : winners) (taken.count(w->candidate) ? kept_ : dropped_).push_back(w);
}

void ListReplacement::Apply(AppData& data) {
    for (const Winner* w : dropped_) data.RemoveWinner(w, AppData::Removal::Deleted);
    dropped_.clear();
    // New people get ids nobody had, so no record line about someone else ever names them.
    int32_t next = 0;
    for (const auto& c : data.Candidates()) next = std::max(next, c->id + 1);
    for (const Winner* w : kept_) next = std::max(next, w->candidate + 1);
    data.ReleaseCandidates();
    data.ReserveCandidates(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) {
        auto c = std::make_unique<Candidate>();
        c->id = ids_[i] >= 0 ? ids_[i] : next++;
        c->NO = rows_[i].no;
        c->name = rows_[i].name;
        c->department = rows_[i].department;
        c->tel = rows_[i].tel;
        c->index = int32_t(i);
        c->group = rows_[i].group;
        c->excluded = rows_[i].excluded;
        data.AddCandidateRecord(std::move(c));
    }
}
