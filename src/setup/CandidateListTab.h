#pragma once

#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

#include "setup/CandidateEditDialog.h"
#include "setup/CelvexLibrary.h"

class AppData;
class CandidateFilter;
class CandidateListModel;
class ImportPreview;
class QComboBox;
class QMenu;
class QPushButton;
class QTreeView;

// The candidate page of the setup window: import from a spreadsheet or text file through the
// bridge, generate a run of numbers, show example files, clear. Every change is saved to the
// candidate file at once; the parent hears WM_CANDIDATES_CHANGED after an import or a
// generation that added something, and WM_REFRESH_WINNERS after a clear.
class CandidateListTab : public QWidget {
    Q_OBJECT
  public:
    enum ButtonIndex { kImport, kGenerate, kClear, kButtonCount };

    CandidateListTab(AppData& data, QWidget* parent = nullptr);
    ~CandidateListTab() override;

    // The folder the bridge library is loaded from; data.ProgramDir() unless set.
    void SetBridgeFolder(const QString& folder) { bridgeFolder_ = folder; }
    const QString& BridgeFolder() const { return bridgeFolder_; }

    void ShowImportMenu();
    void ShowExamples();
    // Asks for a file, shows the import preview and, when the operator confirms, imports
    // exactly the rows it shows. A .txt, .csv or .tsv file is read as text whichever menu
    // entry chose it.
    void Import(CelvexLibrary::ImportKind kind);
    // The message for a failed import: the bridge's text, but a text file is not called Excel.
    static QString ImportFailureText(CelvexLibrary::ImportKind kind, int error);
    // Opens a row (an index into the candidate list) in the edit dialog and keeps what it
    // checked; saves and tells the window.
    void EditRow(int row);
    void EditCurrentRow();
    // Why values typed for a row cannot stand: an empty or repeated draw key; empty when fine.
    QString EditProblem(int row, const CandidateEditDialog::Values& values) const;
    // 替换名单: the preview's rows take the list's place, asked first when winners exist;
    // false when the operator said no.
    bool ReplaceList(const ImportPreview& preview);
    // Appends the rows handed back by the bridge, skipping those with four empty fields, in one
    // view update, each with its group and whether it takes part when given. Returns how many
    // were added.
    int AddImportedRows(const std::vector<CelvexLibrary::Fields>& rows,
                        const std::vector<QString>& groups = {},
                        const std::vector<uint8_t>& excluded = {});
    // Marks the selected candidates as not taking part in any draw, or as taking part again;
    // saves the candidate file.
    void SetSelectedExcluded(bool excluded);
    // The operator's hand: checks the selected rows in, or undoes theirs.
    void SetSelectedCheckedIn(bool checkedIn);
    // Every check-in, asked first.
    void ClearCheckIns();
    // A check-in came (from a phone or the hand): the column, the filter and the count.
    void CheckInsChanged();
    void TellCheckInWriteFailed();
    void ShowRowMenu(const QPoint& at);
    void GenerateNumbers();
    void Clear();
    // Rereads the whole list, for when candidates changed elsewhere.
    void Reload();

    // "共: n" as painted, and how many take part when not everybody does.
    QString CountText() const;
    QRect CountArea() const;
    QRect ListFrame() const;

    QTreeView* List() const { return list_; }
    CandidateListModel* Model() const { return model_; }
    CandidateFilter* Filter() const { return filter_; }
    QComboBox* FilterBox() const { return filterBox_; }
    QMenu* RowMenu() const { return rowMenu_; }
    // The candidates' rows selected in the list, in ascending order.
    std::vector<int> SelectedRows() const;
    QMenu* ImportMenu() const { return menu_; }
    QPushButton* Button(int index) const { return buttons_[size_t(index)]; }

  signals:
    // The list or a record in it changed (and was saved).
    void candidatesChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    AppData& data_;
    QString bridgeFolder_;
    CandidateListModel* model_;
    CandidateFilter* filter_;
    QTreeView* list_;
    QComboBox* filterBox_;
    QMenu* menu_;
    QMenu* rowMenu_;
    std::array<QPushButton*, kButtonCount> buttons_{};
};
