#include "CsvReader.h"

namespace {

constexpr std::string_view kFullWidthComma = "\xEF\xBC\x8C";

bool IsAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view Trim(std::string_view field) {
    while (!field.empty() && IsAsciiSpace(field.front())) field.remove_prefix(1);
    while (!field.empty() && IsAsciiSpace(field.back())) field.remove_suffix(1);
    return field;
}

}  // namespace

CsvReader::CsvReader(std::string_view text) : text_(text) {
    SetSeparators(Separators::Comma);
}

CsvReader::Separators CsvReader::Choose(std::string_view line) {
    size_t tabs = 0, commas = 0, fullWidth = 0;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == '\t') {
            ++tabs;
        } else if (c == ',') {
            ++commas;
        } else if (line.substr(i, kFullWidthComma.size()) == kFullWidthComma) {
            ++fullWidth;
            i += kFullWidthComma.size() - 1;
        }
    }
    if (tabs > commas + fullWidth) return Separators::Tab;
    if (commas > 0 && fullWidth > 0) return Separators::BothCommas;
    return fullWidth > 0 ? Separators::FullWidthComma : Separators::Comma;
}

void CsvReader::SetSeparators(Separators separators) {
    separators_ = separators;
    stops_.fill(false);
    stops_[static_cast<unsigned char>('\n')] = true;
    stops_[static_cast<unsigned char>('\r')] = true;
    switch (separators) {
        case Separators::Tab:
            stops_[static_cast<unsigned char>('\t')] = true;
            break;
        case Separators::BothCommas:
            stops_[static_cast<unsigned char>(',')] = true;
            stops_[static_cast<unsigned char>(kFullWidthComma[0])] = true;
            break;
        case Separators::Comma:
            stops_[static_cast<unsigned char>(',')] = true;
            break;
        case Separators::FullWidthComma:
            stops_[static_cast<unsigned char>(kFullWidthComma[0])] = true;
            break;
    }
}

void CsvReader::Seek(size_t position, uint32_t line) {
    pos_ = position < text_.size() ? position : text_.size();
    line_ = line;
}

std::string_view CsvReader::LineAt(size_t position) const {
    if (position >= text_.size()) return {};
    size_t end = position;
    while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') ++end;
    return text_.substr(position, end - position);
}

size_t CsvReader::SeparatorAt(size_t p) const {
    if (p >= text_.size()) return 0;
    const char c = text_[p];
    const bool comma = separators_ == Separators::Comma || separators_ == Separators::BothCommas;
    const bool fullWidth =
        separators_ == Separators::FullWidthComma || separators_ == Separators::BothCommas;
    if (separators_ == Separators::Tab) return c == '\t' ? 1 : 0;
    if (comma && c == ',') return 1;
    // The text is UTF-8, so the three bytes can only start on a character boundary.
    if (fullWidth && text_.substr(p, kFullWidthComma.size()) == kFullWidthComma)
        return kFullWidthComma.size();
    return 0;
}

size_t CsvReader::FieldEnd(size_t p) const {
    while (p < text_.size()) {
        if (stops_[static_cast<unsigned char>(text_[p])]) {
            const char c = text_[p];
            if (c == '\n' || c == '\r' || SeparatorAt(p) > 0) return p;
        }
        ++p;
    }
    return p;
}

bool CsvReader::IsBlank(char c) const {
    if (c == '\t') return separators_ != Separators::Tab;
    return c == ' ' || c == '\v' || c == '\f';
}

bool CsvReader::AtLineEnd(size_t p) const {
    return p >= text_.size() || text_[p] == '\n' || text_[p] == '\r';
}

void CsvReader::SkipLineEnd() {
    if (pos_ >= text_.size()) return;
    if (text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    ++line_;
}

void CsvReader::CountLines(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line_;
}

bool CsvReader::Next(std::vector<std::string_view>& fields) {
    fields.clear();
    if (pos_ >= text_.size()) return false;
    for (;;) {
        // Nothing left on the line: an empty line, or a separator that ended it.
        if (AtLineEnd(pos_)) {
            SkipLineEnd();
            return true;
        }
        fields.push_back(ReadField());
        if (const size_t length = SeparatorAt(pos_)) {
            pos_ += length;
            continue;
        }
        SkipLineEnd();
        return true;
    }
}

std::string_view CsvReader::ReadField() {
    size_t p = pos_;
    while (p < text_.size() && IsBlank(text_[p])) ++p;
    std::string_view field;
    if (p < text_.size() && text_[p] == '"' && ReadQuoted(p, field)) return field;
    const size_t end = FieldEnd(pos_);
    field = Trim(text_.substr(pos_, end - pos_));
    pos_ = end;
    return field;
}

bool CsvReader::ReadQuoted(size_t quote, std::string_view& field) {
    // Find the closing quote, stepping over doubled ones. When there is none the opening
    // quote is an ordinary character. (After one such miss every later run of quotes has an
    // even length, so a later opening quote always finds its partner: this scan to the end
    // happens at most once per file.)
    const size_t begin = quote + 1;
    size_t close = begin;
    bool doubled = false;
    for (;;) {
        close = text_.find('"', close);
        if (close == std::string_view::npos) return false;
        if (close + 1 < text_.size() && text_[close + 1] == '"') {
            doubled = true;
            close += 2;
            continue;
        }
        break;
    }
    const std::string_view inside = text_.substr(begin, close - begin);
    CountLines(inside);
    size_t after = close + 1;
    while (after < text_.size() && IsBlank(text_[after])) ++after;
    const bool clean = AtLineEnd(after) || SeparatorAt(after) > 0;
    if (!doubled && clean) {
        field = Trim(inside);
        pos_ = after;
        return true;
    }
    arena_.Begin();
    size_t from = 0;
    while (from < inside.size()) {
        const size_t q = inside.find("\"\"", from);
        if (q == std::string_view::npos) {
            arena_.Append(inside.substr(from));
            break;
        }
        arena_.Append(inside.substr(from, q + 1 - from));  // keeps one of the two quotes
        from = q + 2;
    }
    pos_ = close + 1;
    if (!clean) {
        // Text after the closing quote belongs to the field, as spreadsheet programs read it.
        const size_t end = FieldEnd(pos_);
        arena_.Append(text_.substr(pos_, end - pos_));
        pos_ = end;
    } else {
        pos_ = after;
    }
    field = Trim(arena_.Finish());
    return true;
}
