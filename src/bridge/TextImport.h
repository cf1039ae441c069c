#pragma once

#include "celvex.h"

// ImportTxt and ImportTxtTable: one candidate per record of a text file (.txt, .csv, .tsv),
// fields separated by commas, full-width commas or tabs, an optional header line.
class TextImport {
  public:
    static void Run(const char* path, const char* const* titles, ImportResult& result);
    static void RunTable(const char* path, const char* const* titles, TableResult& result);
};
