#include "ImportRows.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

void ImportRows::Allocate(ImportResult& result, size_t count) {
    if (count > static_cast<size_t>(std::numeric_limits<int32_t>::max())) throw std::bad_alloc();
    result.rows = nullptr;
    result.count = 0;
    if (count == 0) return;
    auto** rows = static_cast<FieldRow**>(std::calloc(count, sizeof(FieldRow*)));
    if (!rows) throw std::bad_alloc();
    result.rows = rows;
    result.count = static_cast<int32_t>(count);
    for (size_t i = 0; i < count; ++i) {
        rows[i] = static_cast<FieldRow*>(std::calloc(1, sizeof(FieldRow)));
        if (!rows[i]) throw std::bad_alloc();
    }
}

void ImportRows::SetSlot(ImportResult& result, size_t index, int slot, std::string_view text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (!copy) throw std::bad_alloc();
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    FieldRow* row = result.rows[index];
    std::free(row->fields[slot]);
    row->fields[slot] = copy;
}

void ImportRows::Release(ImportResult& result) {
    if (result.rows) {
        for (int32_t i = 0; i < result.count; ++i) {
            FieldRow* row = result.rows[i];
            if (!row) continue;
            for (char* field : row->fields) std::free(field);
            std::free(row);
        }
        std::free(result.rows);
    }
}
