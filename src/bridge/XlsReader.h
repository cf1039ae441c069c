#pragma once

#include <filesystem>

class SheetData;

// Reads the first worksheet of a legacy (BIFF, OLE2 compound file) workbook with freexl.
// Throws on any failure.
class XlsReader {
  public:
    static void Read(const std::filesystem::path& path, SheetData& sheet);
};
