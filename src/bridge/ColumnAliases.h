#pragma once

#include <array>
#include <string>
#include <string_view>

// The names under which files title the candidate columns: the caller's four titles and the
// usual names of HR lists, the group and who takes part (工号, 员工姓名, 所属部门, 手机号码,
// English ones, ...). Names are compared with white space removed (also U+3000 and U+00A0) and
// ASCII case ignored.
class ColumnAliases {
  public:
    // titles: the caller's four titles (any may be null; a null array means none).
    explicit ColumnAliases(const char* const* titles);

    struct Match {
        int slot = -1;  // a ColumnMap slot: 0 number .. 3 mobile, 4 group, 5 excluded, 6 takes
                        // part; -1 for no match
        int rank = 0;   // lower is the better name for that slot: the caller's title is 0
    };
    Match Find(std::string_view text) const;

    // text without white space and with ASCII letters in lower case.
    static std::string Normalize(std::string_view text);

  private:
    std::array<std::string, 4> titles_;
};
