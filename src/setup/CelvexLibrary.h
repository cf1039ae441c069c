#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

// The program's side of the bridge: loads libcelvex from the program folder for one call,
// converts text to and from UTF-8, hands the rows back and unloads the library again.
// Shows the wait cursor while it works; shows no message itself.
class CelvexLibrary {
  public:
    using Fields = std::array<QString, 4>;  // a null QString stands for a null slot

    enum class ImportKind { Spreadsheet, Text };

    struct ImportOutcome {
        bool loaded = false;  // library and functions found
        bool success = false;
        int error = 0;
        std::vector<Fields> rows;
    };

    // A file's rows as they stand, with the header and column map the bridge found: what the
    // import preview shows and edits. Cells are kept in one list, row by row.
    struct TableOutcome {
        struct Cell {
            int column = 0;
            QString text;  // never empty
        };
        struct Row {
            int line = 0;  // 1-based line of a text file, or worksheet row
            size_t firstCell = 0;
            size_t cellCount = 0;
        };
        bool loaded = false;
        bool success = false;
        int error = 0;
        std::vector<Row> rows;
        std::vector<Cell> cells;
        int headerRow = -1;  // index into rows
        std::array<int, 4> columns{-1, -1, -1, -1};
        // Named by the header only (-1 none): the group; who does not take part; who does.
        int groupColumn = -1;
        int excludedColumn = -1;
        int takesPartColumn = -1;
        int replaced = 0;  // undecodable bytes of a text file shown as U+FFFD
        int encoding = 0;  // CELVEX_ENCODING_*

        // The text of row's cell at column; empty when there is none.
        QString Text(const Row& row, int column) const;
    };

    struct ExportOutcome {
        bool loaded = false;
        bool success = false;
        int error = 0;
    };

    // programDir ends with "/"; the library is looked up there by its file name.
    explicit CelvexLibrary(QString programDir);

    static QString LibraryFileName();  // "libcelvex.so" here, "celvex.dll" on Windows

    ImportOutcome Import(ImportKind kind, const QString& path, const Fields& titles) const;

    TableOutcome ImportTable(ImportKind kind, const QString& path, const Fields& titles) const;

    // A second sheet of plain columns after the designed one.
    struct Detail {
        QString name;
        QStringList titles;
        int timeColumn = -1;  // written as a date-time cell
        std::vector<QStringList> rows;
    };

    ExportOutcome Export(const QString& path, const Fields& titles, const QString& title,
                         const QString& fontName, int fontSize, const std::vector<Fields>& rows,
                         const Detail* detail = nullptr) const;

  private:
    QString programDir_;
};
