#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <functional>

class QLineEdit;
class QPushButton;

// "修改候选人": one candidate's 编号, 姓名, 部门, 手机 and 分组. 确定 runs the caller's check
// first (the draw key must stay filled and unique, as an import checks it): a problem is told
// and the dialog stays open with what was typed.
class CandidateEditDialog : public QDialog {
    Q_OBJECT
  public:
    enum Field { kNumber, kName, kDepartment, kTel, kGroup, kFieldCount };
    using Values = std::array<QString, kFieldCount>;
    // Returns the problem with the values, or an empty text when there is none.
    using Check = std::function<QString(const Values&)>;

    CandidateEditDialog(const Values& values, Check check, QWidget* parent = nullptr);

    // What stands in the boxes, trimmed.
    Values Entered() const;
    QLineEdit* Edit(Field field) const { return edits_[size_t(field)]; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

  public slots:
    void accept() override;

  private:
    Check check_;
    std::array<QLineEdit*, kFieldCount> edits_{};
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
