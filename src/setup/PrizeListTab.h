#pragma once

#include <QWidget>

#include <array>
#include <cstdint>

class AppData;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
struct Prize;

// The prize page of the setup window: one row per prize in draw order, with add, modify,
// delete and reordering. Changes stay in memory; the parent hears WM_PRIZES_CHANGED after a
// delete and after a confirmed modify.
class PrizeListTab : public QWidget {
    Q_OBJECT
  public:
    enum Column { kNumber, kName, kContent, kCount, kBatch, kPicture, kRule, kColumnCount };
    enum ButtonIndex { kAdd, kModify, kDelete, kMoveUp, kMoveDown, kButtonCount };

    PrizeListTab(AppData& data, QWidget* parent = nullptr);

    void Add();
    // fromDoubleClick: no hint when nothing is selected.
    void Modify(bool fromDoubleClick = false);
    void Delete();
    void MoveUp();
    void MoveDown();

    QTreeWidget* List() const { return list_; }
    QPushButton* Button(int index) const { return buttons_[size_t(index)]; }
    // The prize id a row stands for.
    static int32_t RowId(const QTreeWidgetItem* row);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Fill();
    void WriteRow(QTreeWidgetItem* row, int position, const Prize& prize);
    void SwapRows(int a, int b);
    QTreeWidgetItem* Row(int position) const;

    AppData& data_;
    QTreeWidget* list_;
    std::array<QPushButton*, kButtonCount> buttons_{};
};
