#include "setup/ScopeValuesModel.h"

#include <numeric>

ScopeValuesModel::ScopeValuesModel(QObject* parent) : QAbstractListModel(parent) {}

void ScopeValuesModel::Reset(QStringList values, std::vector<int> counts,
                             const QSet<QString>& checked) {
    beginResetModel();
    values_ = std::move(values);
    counts_ = std::move(counts);
    counts_.resize(size_t(values_.size()), 0);
    checked_ = checked;
    endResetModel();
    emit CheckedChanged();
}

int ScopeValuesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(values_.size());
}

QVariant ScopeValuesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= values_.size()) return QVariant();
    const QString& value = values_[index.row()];
    const int count = counts_[size_t(index.row())];
    switch (role) {
        case Qt::DisplayRole: {
            QString shown = value.isEmpty() ? QStringLiteral("（空）") : value;
            if (shown.size() > kShownLength) shown = shown.left(kShownLength) + QChar(u'…');
            return count > 0 ? QStringLiteral("%1（%2 人）").arg(shown).arg(count)
                             : QStringLiteral("%1（名单中已没有）").arg(shown);
        }
        case Qt::ToolTipRole:
            return value.size() > kShownLength ? QVariant(value) : QVariant();
        case Qt::CheckStateRole:
            return checked_.contains(value) ? Qt::Checked : Qt::Unchecked;
        case kValueRole:
            return value;
        default:
            return QVariant();
    }
}

bool ScopeValuesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= values_.size() || role != Qt::CheckStateRole)
        return false;
    const QString& text = values_[index.row()];
    if (value.toInt() == Qt::Checked)
        checked_.insert(text);
    else
        checked_.remove(text);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit CheckedChanged();
    return true;
}

Qt::ItemFlags ScopeValuesModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

QStringList ScopeValuesModel::CheckedInOrder() const {
    QStringList out;
    for (const QString& v : values_)
        if (checked_.contains(v)) out << v;
    return out;
}

int ScopeValuesModel::CheckedPeople() const {
    int n = 0;
    for (qsizetype i = 0; i < values_.size(); ++i)
        if (checked_.contains(values_[i])) n += counts_[size_t(i)];
    return n;
}

int ScopeValuesModel::AllPeople() const {
    return std::accumulate(counts_.begin(), counts_.end(), 0);
}
