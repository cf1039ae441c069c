#pragma once

#include <array>
#include <string_view>

// Which field or column feeds each of the four slots (-1: none), found from a title line.
class ColumnMap {
  public:
    ColumnMap() { entries_.fill(-1); }

    // Sets the map 0, 1, 2, 3: the first four fields in slot order.
    void SetPositional();
    // Compares text with the four titles in order (ASCII case ignored) and maps the first
    // equal one to position; returns whether one matched. A null title matches nothing.
    bool MatchTitle(std::string_view text, const char* const* titles, int position);
    int operator[](int slot) const { return entries_[slot]; }

    static bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

  private:
    std::array<int, 4> entries_;
};
