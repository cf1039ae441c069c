#pragma once

#include <string_view>

#include "celvex.h"

// Owns the C side of an ImportResult: the row array, the rows and their slot texts, all
// allocated with malloc so that FreeImportResult can release any partly built record.
class ImportRows {
  public:
    // Gives the record count zeroed rows; throws std::bad_alloc (the record then stays valid
    // for Release, holding whatever was allocated).
    static void Allocate(ImportResult& result, size_t count);
    // Copies text into slot of row index (both in range).
    static void SetSlot(ImportResult& result, size_t index, int slot, std::string_view text);
    // Frees rows and slots; a null row array or null rows and slots are skipped.
    static void Release(ImportResult& result);
};
