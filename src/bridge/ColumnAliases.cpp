#include "ColumnAliases.h"

#include <vector>

namespace {

struct Alias {
    const char* name;
    int slot;
};

// In order of preference within each slot: a sheet holding both 手机 and 电话 takes 手机 as the
// mobile column. 序号 is a row counter, not a candidate column, and is deliberately absent.
constexpr Alias kAliases[] = {
    {"编号", 0},
    {"工号", 0},
    {"员工编号", 0},
    {"职工编号", 0},
    {"人员编号", 0},
    {"Employee ID", 0},
    {"Staff ID", 0},
    {"Employee No.", 0},
    {"Employee No", 0},
    {"ID", 0},
    {"No.", 0},
    {"No", 0},
    {"姓名", 1},
    {"员工姓名", 1},
    {"人员姓名", 1},
    {"名字", 1},
    {"Full Name", 1},
    {"Name", 1},
    {"部门", 2},
    {"所属部门", 2},
    {"部门名称", 2},
    {"单位", 2},
    {"Department", 2},
    {"Dept", 2},
    {"Dept.", 2},
    {"手机", 3},
    {"手机号", 3},
    {"手机号码", 3},
    {"移动电话", 3},
    {"Mobile", 3},
    {"Mobile Phone", 3},
    {"Cell Phone", 3},
    {"联系电话", 3},
    {"电话", 3},
    {"Phone", 3},
    {"Phone Number", 3},
    {"Tel", 3},
    {"Telephone", 3},
    // The group label, then who does not take part and who does.
    {"分组", 4},
    {"组别", 4},
    {"类别", 4},
    {"员工类型", 4},
    {"人员类别", 4},
    {"标签", 4},
    {"区域", 4},
    {"Group", 4},
    {"Category", 4},
    {"Tag", 4},
    {"不参与抽奖", 5},
    {"Excluded", 5},
    {"是否参与", 6},
};

const std::vector<std::string>& NormalizedAliases() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const Alias& a : kAliases) out.push_back(ColumnAliases::Normalize(a.name));
        return out;
    }();
    return names;
}

}  // namespace

ColumnAliases::ColumnAliases(const char* const* titles) {
    if (!titles) return;
    for (size_t k = 0; k < titles_.size(); ++k)
        if (titles[k]) titles_[k] = Normalize(titles[k]);
}

std::string ColumnAliases::Normalize(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || (c >= '\t' && c <= '\r')) continue;
        if (text.substr(i, 3) == "\xE3\x80\x80") {  // ideographic space
            i += 2;
            continue;
        }
        if (text.substr(i, 2) == "\xC2\xA0") {  // no-break space
            i += 1;
            continue;
        }
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

ColumnAliases::Match ColumnAliases::Find(std::string_view text) const {
    const std::string name = Normalize(text);
    if (name.empty()) return {};
    // The caller's titles first and in their order, as a title row always matched them.
    for (size_t k = 0; k < titles_.size(); ++k)
        if (!titles_[k].empty() && titles_[k] == name) return {static_cast<int>(k), 0};
    const std::vector<std::string>& aliases = NormalizedAliases();
    for (size_t i = 0; i < aliases.size(); ++i)
        if (aliases[i] == name) return {kAliases[i].slot, static_cast<int>(i) + 1};
    return {};
}
