#include "ImportRows.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

FieldRow* ImportRows::NewRow() {
    auto* row = static_cast<FieldRow*>(std::calloc(1, sizeof(FieldRow)));
    if (!row) throw std::bad_alloc();
    return row;
}

void ImportRows::SetSlot(FieldRow& row, int slot, std::string_view text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (!copy) throw std::bad_alloc();
    if (!text.empty()) std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    std::free(row.fields[slot]);
    row.fields[slot] = copy;
}

void ImportRows::FreeRow(FieldRow* row) {
    if (!row) return;
    for (char* field : row->fields) std::free(field);
    std::free(row);
}

void ImportRows::Adopt(ImportResult& result, std::vector<FieldRow*>& rows) {
    if (rows.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw std::bad_alloc();
    result.rows = nullptr;
    result.count = 0;
    if (rows.empty()) return;
    auto** array = static_cast<FieldRow**>(std::malloc(rows.size() * sizeof(FieldRow*)));
    if (!array) throw std::bad_alloc();
    std::memcpy(array, rows.data(), rows.size() * sizeof(FieldRow*));
    result.rows = array;
    result.count = static_cast<int32_t>(rows.size());
    rows.clear();
}

void ImportRows::Release(ImportResult& result) {
    if (result.rows) {
        for (int32_t i = 0; i < result.count; ++i) FreeRow(result.rows[i]);
        std::free(result.rows);
    }
}
