#include "NumberFormats.h"

NumberFormats::Kind NumberFormats::OfBuiltIn(int id) {
    if ((id >= 14 && id <= 17) || id == 22) return Kind::Date;
    if ((id >= 18 && id <= 21) || (id >= 45 && id <= 47)) return Kind::Time;
    if ((id >= 27 && id <= 31) || id == 36 || (id >= 50 && id <= 54) || id == 57 || id == 58)
        return Kind::Date;
    if ((id >= 32 && id <= 35) || id == 55 || id == 56) return Kind::Time;
    return Kind::Other;
}

NumberFormats::Kind NumberFormats::OfCode(std::string_view code) {
    bool date = false, time = false, month = false;
    for (size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == ';') break;  // the first section decides
        if (c == '"') {
            const size_t end = code.find('"', i + 1);
            if (end == std::string_view::npos) break;
            i = end;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == '[') {
            const size_t end = code.find(']', i + 1);
            if (end == std::string_view::npos) break;
            // [h], [mm], [ss]: elapsed time; anything else is a colour, locale or condition.
            const std::string_view inner = code.substr(i + 1, end - i - 1);
            if (!inner.empty() && inner.find_first_not_of("hHmMsS") == std::string_view::npos)
                time = true;
            i = end;
        } else {
            switch (c) {
                case 'y':
                case 'Y':
                case 'd':
                case 'D':
                    date = true;
                    break;
                case 'h':
                case 'H':
                case 's':
                case 'S':
                    time = true;
                    break;
                case 'm':
                case 'M':
                    month = true;
                    break;
                default:
                    break;
            }
        }
    }
    if (date || (month && !time)) return Kind::Date;
    if (time) return Kind::Time;
    return Kind::Other;
}

NumberFormats::Kind NumberFormats::KindOf(int numFmtId) const {
    const auto it = custom_.find(numFmtId);
    return it != custom_.end() ? it->second : OfBuiltIn(numFmtId);
}
