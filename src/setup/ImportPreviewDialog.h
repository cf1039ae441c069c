#pragma once

#include <QDialog>

#include <array>

class ImportPreview;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

// "导入预览": shows what an import would add before anything changes — the header found, the
// file column behind each candidate column (editable), the first rows as they will be
// imported, the count of rows and of empty rows left out, and the rows whose draw key is empty
// or repeated. "导入" accepts, "取消" rejects; the caller imports the preview's rows on accept.
class ImportPreviewDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kShownRows = 50;
    static constexpr int kShownFlags = 200;

    // preview must outlive the dialog; fileName is shown in the first line.
    ImportPreviewDialog(ImportPreview& preview, const QString& fileName, QWidget* parent = nullptr);

    QComboBox* ColumnBox(int slot) const { return boxes_[size_t(slot)]; }
    QTreeWidget* RowList() const { return rows_; }
    QTreeWidget* FlagList() const { return flags_; }
    QLabel* HeaderLabel() const { return header_; }
    QLabel* SummaryLabel() const { return summary_; }
    QLabel* KeyLabel() const { return key_; }
    QPushButton* ImportButton() const { return import_; }
    QPushButton* CancelButton() const { return cancel_; }

    static QString KeyFieldLabel(int field);

  private:
    void ColumnChosen(int slot);
    void Refresh();

    ImportPreview& preview_;
    std::array<QComboBox*, 6> boxes_{};
    QLabel* header_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* key_ = nullptr;
    QTreeWidget* rows_ = nullptr;
    QTreeWidget* flags_ = nullptr;
    QPushButton* import_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
