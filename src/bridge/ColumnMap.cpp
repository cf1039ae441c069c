#include "ColumnMap.h"

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

void ColumnMap::SetPositional() {
    for (int k = 0; k < 4; ++k) entries_[k] = k;
}

bool ColumnMap::MatchTitle(std::string_view text, const char* const* titles, int position) {
    if (!titles) return false;
    for (int j = 0; j < 4; ++j) {
        if (titles[j] && EqualIgnoringAsciiCase(text, titles[j])) {
            entries_[j] = position;
            return true;
        }
    }
    return false;
}

bool ColumnMap::EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}
