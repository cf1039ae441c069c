// Feeds arbitrary bytes to the reader of a legacy workbook's boolean, error and formula cells
// as its workbook stream, and checks what it promises: both lists in ascending order, text
// only for text results, and that text well-formed UTF-8.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "BiffCells.h"
#include "TextDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view stream(reinterpret_cast<const char*>(data), size);
    const BiffCells::Found found = BiffCells::Read(stream);
    for (size_t i = 1; i < found.boolErr.size(); ++i)
        if (found.boolErr[i] < found.boolErr[i - 1]) __builtin_trap();
    for (size_t i = 0; i < found.formulas.size(); ++i) {
        const BiffCells::Formula& f = found.formulas[i];
        if (i > 0 && f.place < found.formulas[i - 1].place) __builtin_trap();
        const bool text = f.result == BiffCells::Formula::Result::Text;
        if (text == f.text.empty()) __builtin_trap();
        if (!TextDecoder::IsValidUtf8(f.text)) __builtin_trap();
    }
    return 0;
}
