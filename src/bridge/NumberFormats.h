#pragma once

#include <map>
#include <string_view>
#include <vector>

// Tells date formats from others in a workbook's styles, so that date cells import as dates.
class NumberFormats {
  public:
    enum class Kind : unsigned char { Other, Date, Time };

    // Built-in format ids: 14-17 and 22 are dates, 18-21 and 45-47 times of day; the
    // Chinese-locale ids 27-31, 36, 50-54, 57, 58 dates and 32-35, 55, 56 times.
    static Kind OfBuiltIn(int id);
    // A format code holding a year, day or month part is a date; one with only hours,
    // minutes or seconds a time. Quoted text, escapes and [...] sections are skipped.
    static Kind OfCode(std::string_view code);

    void AddCustom(int id, std::string_view code) { custom_[id] = OfCode(code); }
    void AddCellStyle(int numFmtId) { styles_.push_back(KindOf(numFmtId)); }
    // The kind of the cell style index, Other for an unknown index.
    Kind OfStyle(long index) const {
        return index >= 0 && static_cast<size_t>(index) < styles_.size() ? styles_[index]
                                                                         : Kind::Other;
    }

  private:
    Kind KindOf(int numFmtId) const;

    std::map<int, Kind> custom_;
    std::vector<Kind> styles_;
};
