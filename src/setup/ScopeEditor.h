#pragma once

#include <QGroupBox>

#include <cstdint>

#include "model/PrizeScope.h"

class AppData;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QSortFilterProxyModel;
class ScopeValuesModel;

// "抽奖范围" of the prize dialog: who may win the prize (everyone, only people whose 部门 or
// 分组 is one of the values ticked, or everyone but them), picked from the values present in
// the candidates, and whether earlier winners may win it. A scope the operator does not touch
// is handed back exactly as it came, values this program does not know included.
class ScopeEditor : public QGroupBox {
    Q_OBJECT
  public:
    enum Mode { kEveryone, kOnly, kExcept };
    enum Field { kDepartment, kGroup };
    enum RepeatChoice { kRepeatGlobal, kRepeatAllowed, kRepeatRefused };

    ScopeEditor(const AppData& data, const PrizeScope& scope, int32_t repeat,
                QWidget* parent = nullptr);

    QComboBox* ModeBox() const { return mode_; }
    QComboBox* FieldBox() const { return field_; }
    QLineEdit* FilterBox() const { return filter_; }
    QListView* ValueList() const { return list_; }
    QComboBox* RepeatBox() const { return repeat_; }
    QLabel* CountLabel() const { return count_; }
    ScopeValuesModel* Values() const { return values_; }

    // What the prize keeps.
    PrizeScope Scope() const;
    int32_t Repeat() const;
    // Only or except with nothing ticked: the dialog asks for a value.
    bool MissingValues() const;

  private:
    void LoadValues();
    void Update();

    const AppData& data_;
    PrizeScope original_;
    bool edited_ = false;
    QComboBox* mode_;
    QComboBox* field_;
    QLineEdit* filter_;
    QListView* list_;
    QComboBox* repeat_;
    QLabel* count_;
    ScopeValuesModel* values_;
    QSortFilterProxyModel* shown_;
};
