#include "model/PrizeScope.h"

#include "model/Candidate.h"

bool PrizeScope::Limits() const {
    const bool knownField = field == QLatin1String("department") || field == QLatin1String("group");
    const bool knownMode = mode == QLatin1String("only") || mode == QLatin1String("except");
    return knownField && knownMode && !values.isEmpty();
}

const QString& PrizeScope::ValueOf(const Candidate& c) const {
    return IsGroupField() ? c.group : c.department;
}

bool PrizeScope::Admits(const Candidate& c) const {
    if (!Limits()) return true;
    return values.contains(ValueOf(c)) != IsExcept();
}
