#pragma once

#include <QSortFilterProxyModel>

class AppData;

// Which candidates the candidate page lists: everyone, or only those of one kind. Judged on
// the records themselves, so filtering 100,000 rows is one pass over plain fields.
class CandidateFilter : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    enum Mode { kAll, kExcludedOnly, kCheckedInOnly, kNotCheckedIn };

    CandidateFilter(const AppData& data, QObject* parent = nullptr);

    Mode CurrentMode() const { return mode_; }
    void SetMode(Mode mode);
    // The labels of the modes, in their order.
    static QStringList Labels();

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

  private:
    const AppData& data_;
    Mode mode_ = kAll;
};
