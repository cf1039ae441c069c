#pragma once

#include <QDialog>

class AppData;
class QPushButton;
class QTreeWidget;

// Per prize: how many winners it is meant to have, how many were drawn and how many are left.
// Reads the model once when it opens and changes nothing.
class WinnerStatsDialog : public QDialog {
    Q_OBJECT
  public:
    enum Column { kName, kContent, kCount, kDrawn, kRemaining, kColumnCount };

    WinnerStatsDialog(const AppData& data, QWidget* parent = nullptr);

    QTreeWidget* List() const { return list_; }
    QPushButton* CloseButton() const { return close_; }

  private:
    void Fill(const AppData& data);

    QTreeWidget* list_;
    QPushButton* close_;
};
