// Feeds arbitrary text to the bridge's CSV reader with each kind of separator and checks what
// it promises: every record moves forward, lines only grow, fields come trimmed, and every
// byte of every field can be read.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "CsvReader.h"

namespace {

bool IsAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

void ReadAll(std::string_view text, CsvReader::Separators separators) {
    CsvReader reader(text);
    reader.SetSeparators(separators);
    std::vector<std::string_view> fields;
    size_t position = reader.Position();
    uint32_t line = reader.Line();
    unsigned sum = 0;
    while (reader.Next(fields)) {
        if (reader.Position() <= position) __builtin_trap();  // no progress
        if (reader.Line() < line) __builtin_trap();
        position = reader.Position();
        line = reader.Line();
        for (std::string_view field : fields) {
            if (!field.empty() && (IsAsciiSpace(field.front()) || IsAsciiSpace(field.back())))
                __builtin_trap();
            for (char c : field) sum += static_cast<unsigned char>(c);
        }
    }
    if (reader.Position() != text.size()) __builtin_trap();  // stopped before the end
    // Keeps the reads of the field bytes from being optimised away.
    volatile unsigned sink = sum;
    (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    for (auto separators : {CsvReader::Separators::Comma, CsvReader::Separators::FullWidthComma,
                            CsvReader::Separators::BothCommas, CsvReader::Separators::Tab})
        ReadAll(text, separators);
    // The choice the import makes for the first line must be one of them, whatever the line.
    CsvReader reader(text);
    ReadAll(text, CsvReader::Choose(reader.LineAt(0)));
    return 0;
}
