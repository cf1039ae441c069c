#include "checkin/CheckInRoster.h"

#include "model/AppData.h"
#include "model/CheckInSettings.h"

namespace {

QString ProofKey(const QString& proof, const QString& name) {
    return CheckInRoster::Normalized(proof) + QLatin1Char('\n') + CheckInRoster::Normalized(name);
}

}  // namespace

QString CheckInRoster::Normalized(const QString& text) {
    QString folded = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    folded.removeIf([](QChar c) { return c.isSpace() || c.category() == QChar::Other_Format; });
    return folded;
}

QString CheckInRoster::PhoneDigits(const QString& tel) {
    QString digits;
    for (QChar c : tel.normalized(QString::NormalizationForm_KC))
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) digits.append(c);
    return digits.size() >= 4 ? digits.right(4) : QString();
}

std::shared_ptr<const CheckInRoster> CheckInRoster::FromModel(const AppData& data, int method) {
    auto roster = std::make_shared<CheckInRoster>();
    roster->guests_.reserve(data.CandidateMap().size());
    for (const auto& [id, c] : data.CandidateMap()) {
        if (c->excluded) continue;
        const QString proof =
            method == CheckInSettings::kPhoneDigitsAndName ? PhoneDigits(c->tel) : c->NO.trimmed();
        if (proof.isEmpty() || c->name.trimmed().isEmpty()) continue;  // nothing to prove with
        roster->Add(Guest{id, c->name.trimmed(), c->department.trimmed()}, proof);
    }
    return roster;
}

void CheckInRoster::Add(const Guest& guest, const QString& proof) {
    byId_[guest.id] = guests_.size();
    byProof_.insert(ProofKey(proof, guest.name), guests_.size());
    guests_.push_back(guest);
}

const CheckInRoster::Guest* CheckInRoster::Match(const QString& proof, const QString& name) const {
    const QString key = ProofKey(proof, name);
    if (Normalized(proof).isEmpty() || Normalized(name).isEmpty()) return nullptr;
    if (byProof_.count(key) != 1) return nullptr;
    return &guests_[byProof_.value(key)];
}

const CheckInRoster::Guest* CheckInRoster::Find(int32_t id) const {
    const auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : &guests_[it->second];
}
