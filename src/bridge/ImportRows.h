#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "celvex.h"

// The C side of an ImportResult. The row array, the rows and their slot texts are one
// allocation, with the array at its head: FreeImportResult frees it whole, and a record is
// either complete or holds nothing. (Five allocations a row made a million-line import spend
// a third of its time in the allocator.)
class ImportRows {
  public:
    static constexpr size_t kNull = static_cast<size_t>(-1);

    // Gives the record count rows; slots holds four offsets per row into texts (each text
    // NUL-terminated there), kNull for a null slot. Throws std::bad_alloc and then leaves the
    // record untouched.
    static void Publish(ImportResult& result, size_t count, const std::vector<size_t>& slots,
                        const std::string& texts);
    static void Release(ImportResult& result);
};
