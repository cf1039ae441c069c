#include "setup/CandidateListModel.h"

#include <QColor>
#include <QDateTime>

#include "model/AppData.h"
#include "model/Candidate.h"

namespace {

struct ColumnInfo {
    const char16_t* title;
    int width;
    Qt::Alignment alignment;
};

const ColumnInfo kColumns[CandidateListModel::kColumnCount] = {
    {u"", 40, Qt::AlignLeft | Qt::AlignVCenter},
    {u"编号", 90, Qt::AlignCenter},
    {u"姓名", 130, Qt::AlignCenter},
    {u"部门", 140, Qt::AlignCenter},
    {u"手机", 130, Qt::AlignCenter},
    {u"分组", 100, Qt::AlignCenter},
    {u"参与抽奖", 70, Qt::AlignCenter},
    {u"签到", 90, Qt::AlignCenter},
};

}  // namespace

CandidateListModel::CandidateListModel(AppData& data, QObject* parent)
    : QAbstractTableModel(parent), data_(data) {}

int CandidateListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(data_.Candidates().size());
}

int CandidateListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CandidateListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount)
        return QVariant();
    if (role == Qt::TextAlignmentRole) return QVariant(kColumns[index.column()].alignment);
    const Candidate& c = *data_.Candidates()[size_t(index.row())];
    if (role == Qt::ToolTipRole && index.column() == kGroup && c.group.size() > kShownGroupLength)
        return c.group;
    if (role == Qt::ForegroundRole && c.excluded) return QColor(Qt::gray);
    if (role != Qt::DisplayRole) return QVariant();
    switch (index.column()) {
        // Rows are only appended and cleared, so the position is the count before the add.
        case kRowNumber:
            return QString::number(index.row() + 1);
        case kNumber:
            return c.NO;
        case kName:
            return c.name;
        case kDepartment:
            return c.department;
        case kTel:
            return c.tel;
        case kGroup:
            return c.group.size() > kShownGroupLength
                       ? c.group.left(kShownGroupLength) + QChar(u'…')
                       : c.group;
        case kTakesPart:
            return c.excluded ? QStringLiteral("不参与") : QStringLiteral("参与");
        case kCheckedIn: {
            const int64_t at = data_.CheckIns().TimeOf(c.id);
            if (at == 0) return QString();
            return QStringLiteral("已签到 ") +
                   QDateTime::fromSecsSinceEpoch(at).toString(QStringLiteral("HH:mm"));
        }
        default:
            return QVariant();
    }
}

QVariant CandidateListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return QVariant();
    if (role == Qt::DisplayRole) return QString::fromUtf16(kColumns[section].title);
    if (role == Qt::TextAlignmentRole) return QVariant(kColumns[section].alignment);
    return QVariant();
}

int CandidateListModel::ColumnWidth(int column) {
    return column >= 0 && column < kColumnCount ? kColumns[column].width : 0;
}

void CandidateListModel::BeginAppend(int count) {
    appending_ = count > 0;
    if (!appending_) return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + count - 1);
}

void CandidateListModel::EndAppend() {
    if (appending_) endInsertRows();
    appending_ = false;
}

void CandidateListModel::BeginReset() {
    beginResetModel();
}

void CandidateListModel::EndReset() {
    endResetModel();
}

void CandidateListModel::RowsChanged(int first, int last) {
    if (first > last) return;
    emit dataChanged(index(first, 0), index(last, kColumnCount - 1));
}
