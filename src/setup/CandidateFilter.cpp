#include "setup/CandidateFilter.h"

#include "model/AppData.h"
#include "model/Candidate.h"

CandidateFilter::CandidateFilter(const AppData& data, QObject* parent)
    : QSortFilterProxyModel(parent), data_(data) {}

QStringList CandidateFilter::Labels() {
    return {QStringLiteral("全部人员"), QStringLiteral("仅不参与抽奖"), QStringLiteral("仅已签到"),
            QStringLiteral("仅未签到")};
}

void CandidateFilter::SetMode(Mode mode) {
    if (mode == mode_) return;
    mode_ = mode;
    invalidateRowsFilter();
}

bool CandidateFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (sourceParent.isValid() || sourceRow < 0 || size_t(sourceRow) >= data_.Candidates().size())
        return false;
    const Candidate& c = *data_.Candidates()[size_t(sourceRow)];
    switch (mode_) {
        case kExcludedOnly:
            return c.excluded;
        case kCheckedInOnly:
            return data_.CheckIns().Contains(c.id);
        case kNotCheckedIn:
            return !c.excluded && !data_.CheckIns().Contains(c.id);
        case kAll:
        default:
            return true;
    }
}
