#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QSpinBox;

// "加奖": a prize added during the show from a small dialog over it: its name, what it is, how
// many win it and in how many rounds. 确定 refuses an empty name or more rounds than winners,
// telling why and staying open.
class AddPrizeDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMostWinners = 100000;

    explicit AddPrizeDialog(QWidget* parent = nullptr);

    QString Name() const;
    QString Content() const;
    int Count() const;
    int Rounds() const;

    QLineEdit* NameEdit() const { return name_; }
    QLineEdit* ContentEdit() const { return content_; }
    QSpinBox* CountBox() const { return count_; }
    QSpinBox* RoundsBox() const { return rounds_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

  public slots:
    void accept() override;

  private:
    QLineEdit* name_ = nullptr;
    QLineEdit* content_ = nullptr;
    QSpinBox* count_ = nullptr;
    QSpinBox* rounds_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
