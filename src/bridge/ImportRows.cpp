#include "ImportRows.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

void ImportRows::Publish(ImportResult& result, size_t count, const std::vector<size_t>& slots,
                         const std::string& texts) {
    if (count > static_cast<size_t>(std::numeric_limits<int32_t>::max()) ||
        slots.size() != 4 * count)
        throw std::bad_alloc();
    result.rows = nullptr;
    result.count = 0;
    if (count == 0) return;
    const size_t arrayBytes = count * sizeof(FieldRow*);
    const size_t rowBytes = count * sizeof(FieldRow);
    static_assert(sizeof(FieldRow*) % alignof(FieldRow) == 0);
    char* block = static_cast<char*>(std::malloc(arrayBytes + rowBytes + texts.size()));
    if (!block) throw std::bad_alloc();
    auto** array = reinterpret_cast<FieldRow**>(block);
    auto* rows = reinterpret_cast<FieldRow*>(block + arrayBytes);
    char* text = block + arrayBytes + rowBytes;
    if (!texts.empty()) std::memcpy(text, texts.data(), texts.size());
    for (size_t i = 0; i < count; ++i) {
        for (size_t k = 0; k < 4; ++k) {
            const size_t offset = slots[4 * i + k];
            rows[i].fields[k] = offset == kNull ? nullptr : text + offset;
        }
        array[i] = &rows[i];
    }
    result.rows = array;
    result.count = static_cast<int32_t>(count);
}

void ImportRows::Release(ImportResult& result) {
    std::free(result.rows);
}
