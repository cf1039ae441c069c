#pragma once

#include <QByteArray>
#include <QLibrary>
#include <QString>

#include <string>
#include <vector>

#include "celvex.h"
#include "setup/CelvexLibrary.h"

// Helpers of the bridge tests: the real library through the program's loader, and the raw C
// functions for calls the loader never makes (null records, null paths).
class BridgeCalls {
  public:
    using Fields = CelvexLibrary::Fields;

    BridgeCalls();

    static CelvexLibrary Library();
    static Fields ImportTitles();
    static Fields ExportTitles();
    // nullptr stands for a null slot.
    static Fields Row(const char* a, const char* b, const char* c, const char* d);
    // One line per row, null slots shown as "<null>", for readable comparisons.
    static std::string Describe(const std::vector<Fields>& rows);
    // The rows an import makes of a table: those under the header, through its column map.
    // Slots read as empty where the import gives null: the table keeps no empty cells.
    static std::vector<Fields> MappedRows(const CelvexLibrary::TableOutcome& table);
    // Describe with null slots shown as empty ones.
    static std::string DescribeLoosely(const std::vector<Fields>& rows);

    ImportFunction import = nullptr;
    ImportFunction importTxt = nullptr;
    ExportFunction exportRows = nullptr;
    FreeImportResultFunction freeResult = nullptr;
    ImportTableFunction importTable = nullptr;
    ImportTableFunction importTxtTable = nullptr;
    FreeTableResultFunction freeTable = nullptr;

  private:
    QLibrary library_;
};
