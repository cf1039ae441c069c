#pragma once

#include <QAbstractListModel>
#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

// The values a prize's scope may pick (the departments or the groups present among the
// candidates who take part, with how many people hold each), each with a check box. Values a
// stored scope names that nobody holds any longer are listed too, so they can be unchecked.
// A plain list model, so that 100,000 distinct groups stay quick to show and to filter.
class ScopeValuesModel : public QAbstractListModel {
    Q_OBJECT
  public:
    // A value is shown up to this many characters; the whole of it is the tooltip.
    static constexpr int kShownLength = 60;
    // The raw value, for filtering.
    static constexpr int kValueRole = Qt::UserRole;

    explicit ScopeValuesModel(QObject* parent = nullptr);

    // counts: people holding each value; checked: the values ticked now.
    void Reset(QStringList values, std::vector<int> counts, const QSet<QString>& checked);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const QSet<QString>& Checked() const { return checked_; }
    // The checked values in list order.
    QStringList CheckedInOrder() const;
    // People holding any checked value, and people holding any value at all.
    int CheckedPeople() const;
    int AllPeople() const;

  signals:
    void CheckedChanged();

  private:
    QStringList values_;
    std::vector<int> counts_;
    QSet<QString> checked_;
};
