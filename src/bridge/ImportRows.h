#pragma once

#include <string_view>
#include <vector>

#include "celvex.h"

// Owns the C side of an ImportResult: the row array, the rows and their slot texts, all
// allocated with malloc so that FreeImportResult can release any partly built record.
class ImportRows {
  public:
    // A zeroed row; throws std::bad_alloc.
    static FieldRow* NewRow();
    // Copies text into slot of row.
    static void SetSlot(FieldRow& row, int slot, std::string_view text);
    static void FreeRow(FieldRow* row);
    // Hands rows to the record as its row array; rows is emptied. Throws std::bad_alloc, and
    // then rows still holds them.
    static void Adopt(ImportResult& result, std::vector<FieldRow*>& rows);
    // Frees rows and slots; a null row array or null rows and slots are skipped.
    static void Release(ImportResult& result);
};
