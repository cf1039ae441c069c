#pragma once

#include <QAbstractTableModel>

class AppData;

// The candidate list of AppData as a table, read straight from the records so that a list of
// 100,000 stays cheap. Rows are appended or all removed, and the owner brackets such changes
// with BeginAppend/EndAppend or BeginReset/EndReset; a row changed in place is told with
// RowsChanged.
class CandidateListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column {
        kRowNumber,
        kNumber,
        kName,
        kDepartment,
        kTel,
        kGroup,
        kTakesPart,
        kCheckedIn,
        kColumnCount
    };
    // A group is shown up to this many characters; the whole of it is the tooltip.
    static constexpr int kShownGroupLength = 100;

    explicit CandidateListModel(AppData& data, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    static int ColumnWidth(int column);

    void BeginAppend(int count);
    void EndAppend();
    void BeginReset();
    void EndReset();
    void RowsChanged(int first, int last);

  private:
    AppData& data_;
    bool appending_ = false;
};
