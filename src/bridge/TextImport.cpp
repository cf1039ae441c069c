#include "TextImport.h"

#include <array>
#include <string>

#include "ColumnMap.h"
#include "FileAccess.h"
#include "ImportRows.h"
#include "TextDecoder.h"

namespace {

bool IsAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view Trim(std::string_view field) {
    while (!field.empty() && IsAsciiSpace(field.front())) field.remove_prefix(1);
    while (!field.empty() && IsAsciiSpace(field.back())) field.remove_suffix(1);
    return field;
}

// The text is UTF-8 by then, so a byte-wise match of a separator can only start on a
// character boundary: the full-width comma is never found inside another character.
const std::vector<std::string_view>& Separators() {
    static const std::vector<std::string_view> list{",", "\xEF\xBC\x8C"};
    return list;
}

}  // namespace

int TextImport::SplitFields(std::string_view text, const std::vector<std::string_view>& separators,
                            std::vector<std::string_view>& out) {
    std::array<bool, 256> starts{};
    for (std::string_view s : separators)
        if (!s.empty()) starts[static_cast<unsigned char>(s.front())] = true;

    // One pass over the text: at each position the first separator of the list that matches
    // there wins, which is both "earliest" and "earlier in the list on a tie".
    size_t start = 0;
    while (start < text.size()) {
        size_t found = std::string_view::npos;
        size_t length = 0;
        for (size_t p = start; p < text.size() && found == std::string_view::npos; ++p) {
            if (!starts[static_cast<unsigned char>(text[p])]) continue;
            for (std::string_view s : separators) {
                if (!s.empty() && text.substr(p, s.size()) == s) {
                    found = p;
                    length = s.size();
                    break;
                }
            }
        }
        if (found == std::string_view::npos) {
            out.push_back(Trim(text.substr(start)));
            break;
        }
        out.push_back(Trim(text.substr(start, found - start)));
        start = found + length;
    }
    return static_cast<int>(out.size());
}

std::vector<std::string_view> TextImport::SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
        if (last) break;
        start = end + 1;
    }
    return lines;
}

void TextImport::Run(const char* path, const char* const* titles, ImportResult& result) {
    std::string bytes;
    if (!FileAccess::ReadAll(FileAccess::FromUtf8(path), bytes)) {
        // An unreadable file is a failure, not an empty list: the caller tells the operator.
        result.error = CELVEX_FAILED;
        return;
    }
    const std::string text = TextDecoder::ToUtf8(std::move(bytes));
    const std::vector<std::string_view> lines = SplitLines(text);

    ColumnMap map;
    bool header = false;
    std::vector<std::string_view> fields;
    if (!lines.empty()) {
        SplitFields(lines[0], Separators(), fields);
        for (size_t i = 0; i < fields.size(); ++i)
            header = map.MatchTitle(fields[i], titles, static_cast<int>(i)) || header;
    }
    if (!header) map.SetPositional();

    const size_t first = header ? 1 : 0;
    ImportRows::Allocate(result, lines.size() - first);
    for (size_t line = first; line < lines.size(); ++line) {
        fields.clear();
        const int n = SplitFields(lines[line], Separators(), fields);
        for (int k = 0; k < 4; ++k) {
            const int index = map[k];
            if (index >= 0 && index < n)
                ImportRows::SetSlot(result, line - first, k, fields[static_cast<size_t>(index)]);
        }
    }
    if (result.error == CELVEX_OK) result.success = 1;
}
