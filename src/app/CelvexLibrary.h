#pragma once

#include <QString>

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

    struct ExportOutcome {
        bool loaded = false;
        bool success = false;
        int error = 0;
    };

    // programDir ends with "/"; the library is looked up there by its file name.
    explicit CelvexLibrary(QString programDir);

    static QString LibraryFileName();  // "libcelvex.so" here, "celvex.dll" on Windows

    ImportOutcome Import(ImportKind kind, const QString& path, const Fields& titles) const;

    ExportOutcome Export(const QString& path, const Fields& titles, const QString& title,
                         const QString& fontName, int fontSize,
                         const std::vector<Fields>& rows) const;

  private:
    QString programDir_;
};
