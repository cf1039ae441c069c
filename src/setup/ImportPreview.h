#pragma once

#include <QSet>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "setup/CelvexLibrary.h"

class AppData;
struct Candidate;

// What an import would add, worked out before anything changes: the file's rows under the
// column map (the bridge's, which the operator may change), how many empty rows are left out,
// and which rows would have an empty or repeated draw key, within the file or against the
// candidates already present.
class ImportPreview {
  public:
    using Fields = CelvexLibrary::Fields;
    using Table = CelvexLibrary::TableOutcome;

    // A hostile file may hold any number of columns; the choice lists stop here.
    static constexpr int kMaxChoices = 500;

    struct Choice {
        int column = 0;
        QString label;  // "员工姓名（第2列）", or "第2列（张三）" for a file without a header
    };

    enum class Problem { EmptyKey, RepeatedInFile, AlreadyPresent };
    struct Flag {
        size_t row = 0;  // index into Rows()
        Problem problem = Problem::EmptyKey;
        int firstLine = 0;  // for a repeat within the file: the line where the key came first
    };

    ImportPreview(Table table, const AppData& data);

    const Table& Source() const { return table_; }
    bool HasHeader() const { return table_.headerRow >= 0; }
    // 1-based line (or worksheet row) of the header; 0 without one.
    int HeaderLine() const;
    // Non-empty rows above the header: banners and notes, never imported.
    int RowsAboveHeader() const { return rowsAbove_; }

    const std::vector<Choice>& Choices() const { return choices_; }
    // Slots beyond the four fields: the group label, and who does not take part.
    static constexpr int kGroupSlot = 4;
    static constexpr int kExcludedSlot = 5;
    static constexpr int kSlots = 6;

    // The file column feeding slot (0 number, 1 name, 2 department, 3 mobile, 4 group,
    // 5 excluded), -1 for none.
    int Column(int slot) const { return columns_[size_t(slot)]; }
    void SetColumn(int slot, int column);
    // The excluded column says who takes part (是否参与): its 否 leaves a person out.
    bool ExcludedColumnSaysWhoTakesPart() const { return takesPart_; }
    // 是, 1, Y, yes (and 否, 0, N, no) in any case; nothing for any other text.
    static std::optional<bool> YesNo(const QString& text);

    // Exactly what the import adds, in file order, and the line each row comes from; beside
    // each row its group and whether it is left out of the draw.
    const std::vector<Fields>& Rows() const { return rows_; }
    const std::vector<int>& Lines() const { return lines_; }
    const std::vector<QString>& Groups() const { return groups_; }
    const std::vector<uint8_t>& Excluded() const { return excluded_; }
    // Rows under the header whose four mapped fields are all empty.
    int EmptyRows() const { return emptyRows_; }

    // The draw key checked: the current one, or the one the setup window will choose after
    // the import when the current one would be empty for everybody.
    int KeyField() const { return keyField_; }
    // The text standing for a candidate under a draw key, as the draw compares it.
    static QString KeyText(const Fields& fields, int field);
    const std::vector<Flag>& Flags() const { return flags_; }
    int Count(Problem problem) const { return counts_[size_t(problem)]; }

  private:
    void BuildChoices();
    void Recompute();
    int ChooseKeyField() const;
    const QSet<QString>& PresentKeys(int field);

    Table table_;
    std::vector<const Candidate*> present_;
    int fieldType_ = 0;
    bool chosenByOperator_ = false;
    std::array<int, 4> presentFirstFields_{};  // present candidates by first non-empty field
    std::array<bool, 4> presentHasKey_{};      // some present candidate has a key of that field
    std::array<std::optional<QSet<QString>>, 4> presentKeys_;

    int rowsAbove_ = 0;
    std::vector<Choice> choices_;
    std::array<int, kSlots> columns_{-1, -1, -1, -1, -1, -1};
    bool takesPart_ = false;
    std::vector<Fields> rows_;
    std::vector<int> lines_;
    std::vector<QString> groups_;
    std::vector<uint8_t> excluded_;
    int emptyRows_ = 0;
    int keyField_ = 0;
    std::vector<Flag> flags_;
    std::array<int, 3> counts_{};
};
