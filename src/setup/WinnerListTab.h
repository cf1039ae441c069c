#pragma once

#include <QString>
#include <QWidget>

#include <array>

class AppData;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
struct Winner;

// The winner page of the setup window: every recorded winner in draw order, with delete,
// export to a workbook through the celvex bridge, and the per-prize statistics.
class WinnerListTab : public QWidget {
    Q_OBJECT
  public:
    enum Column { kPrize, kContent, kShow, kTime, kColumnCount };
    enum ButtonIndex { kExport, kDelete, kStats, kVerify, kEndShow, kButtonCount };

    WinnerListTab(AppData& data, QWidget* parent = nullptr);

    // Rebuilds the list from the model.
    void Refresh();
    void Export();
    void Delete();
    void ShowStats();
    // Checks the draw record of the data folder and shows what it found.
    void VerifyRecord();
    // A show left before its end waits to be resumed; "结束本场" ends it (asked first), and the
    // parent hears WM_END_SHOW.
    void SetShowPaused(bool paused);
    void EndShow();

    // The folder the bridge library is loaded from (ends with "/"); the program folder unless
    // changed.
    void SetBridgeFolder(const QString& folder) { bridgeFolder_ = folder; }
    const QString& BridgeFolder() const { return bridgeFolder_; }

    QTreeWidget* List() const { return list_; }
    QPushButton* Button(int index) const { return buttons_[size_t(index)]; }
    // The winner record a row stands for.
    static Winner* RowWinner(const QTreeWidgetItem* row);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Writes the workbook; true when it was written. Reports failures itself.
    bool ExportTo(const QString& path);

    AppData& data_;
    QString bridgeFolder_;
    QTreeWidget* list_;
    std::array<QPushButton*, kButtonCount> buttons_{};
};
