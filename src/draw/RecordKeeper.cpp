#include "draw/RecordKeeper.h"

#include <algorithm>

#include "draw/DrawRecord.h"
#include "draw/RecordEvents.h"
#include "model/AppData.h"

RecordKeeper::RecordKeeper(AppData& data) : data_(data) {
    data_.SetRemovalSink([this](const std::vector<WinnerRemoval>& r) { Removed(r); });
}

RecordKeeper::~RecordKeeper() {
    data_.SetRemovalSink(nullptr);
}

bool RecordKeeper::Append(const QJsonObject& event) {
    return Append(std::vector<QJsonObject>{event});
}

bool RecordKeeper::Append(const std::vector<QJsonObject>& events) {
    if (data_.ReadOnly()) return true;
    if (!record_) record_ = std::make_unique<DrawRecord>(data_.DrawRecordPath());
    if (record_->Append(events)) {
        data_.NoteWriteSucceeded(record_->Path());
        return true;
    }
    data_.ReportWriteFailure(SaveProblem{record_->Path(), record_->LastError(), QString()});
    return false;
}

void RecordKeeper::Removed(const std::vector<WinnerRemoval>& removals) {
    std::vector<QJsonObject> events;
    events.reserve(removals.size());
    for (const WinnerRemoval& r : removals) {
        if (r.kind == WinnerRemoval::Kind::Cleared) {
            events.push_back(RecordEvents::Write(RecordEvents::Clear{r.count, r.time}));
            continue;
        }
        RecordEvents::Removal e;
        e.voided = r.kind == WinnerRemoval::Kind::Voided;
        e.prize = r.winner.prize;
        e.candidate = r.winner.candidate;
        e.text = r.winner.show;
        e.won = r.winner.time;
        e.time = r.time;
        e.reason = r.reason;
        events.push_back(RecordEvents::Write(e));
    }
    Append(events);
}

void RecordKeeper::Reconcile() {
    if (data_.ReadOnly() || data_.DataFileDamaged()) return;
    QJsonObject last;
    RecordEvents::Round round;
    if (!DrawRecord::ReadLastEvent(data_.DrawRecordPath(), last) ||
        RecordEvents::TypeOf(last) != RecordEvents::Type::Round || !RecordEvents::Read(last, round))
        return;
    const AppData::WinnerVector* kept = data_.WinnersOfPrize(round.prize);
    for (const auto& [candidate, text] : round.winners) {
        if (kept && std::any_of(kept->begin(), kept->end(), [&](const auto& w) {
                return w->candidate == candidate && w->time == round.time;
            }))
            return;  // the round was saved
    }
    AppData::RecordBatch batch(data_);
    for (const auto& [candidate, text] : round.winners) {
        WinnerRemoval void_;
        void_.kind = WinnerRemoval::Kind::Voided;
        void_.winner = Winner{round.prize, candidate, text, round.time};
        void_.reason = QStringLiteral("interrupted");
        data_.TellRemoval(std::move(void_));
    }
}
