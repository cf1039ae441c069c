#pragma once

#include <zip.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "NumberFormats.h"
#include "SheetCell.h"
#include "ZipEntryStream.h"

class SheetData;

// Reads the first worksheet of an Office Open XML workbook (a ZIP container) into a
// SheetData: relationships lead from the package to the workbook and from it to the first
// worksheet, its shared strings and its styles. Throws on any failure.
class XlsxReader {
  public:
    static void Read(const std::filesystem::path& path, SheetData& sheet);

  private:
    struct Relationship {
        std::string type;
        std::string target;  // resolved to an archive entry name
    };
    using Relationships = std::map<std::string, Relationship>;

    explicit XlsxReader(zip_t* archive, SheetData& sheet) : archive_(archive), sheet_(sheet) {}

    void ReadWorkbook();
    bool Locate(const std::string& name, zip_uint64_t& index) const;
    Relationships ReadRelationships(const std::string& partName);
    std::string WorkbookPart();
    std::vector<std::string> ReadSheetIds(const std::string& workbookPart);
    void ReadSharedStrings(const std::string& part);
    void ReadStyles(const std::string& part);
    void ReadWorksheet(const std::string& part);

    zip_t* archive_;
    SheetData& sheet_;
    ZipEntryStream::Budget budget_;
    std::vector<SheetCell> shared_;
    NumberFormats formats_;
};
