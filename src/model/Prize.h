#pragma once

#include <QString>

#include <cstdint>

#include "model/PrizeScope.h"

// How the prize screens show a prize (the PrizeUIType setting).
namespace PrizeLayout {
enum Type : int32_t {
    Text = 0,     // name and content on one line, no picture
    Picture = 1,  // name and content on two lines, the picture in the left column
};
}  // namespace PrizeLayout

// One prize: how many winners, over how many rounds, with which picture.
struct Prize {
    int32_t id = 0;
    QString name;
    QString content;
    int32_t count = 0;
    int32_t batch = 0;  // rounds in which the winners are drawn
    QString image;      // full path, may be empty
    int32_t index = 0;  // display and draw order, smaller first
    // Who may win it (everyone unless the scope limits it).
    PrizeScope scope;
    // Whether earlier winners may win it: kRepeatGlobal follows AllowRepeat.
    static constexpr int32_t kRepeatGlobal = -1;
    int32_t repeat = kRepeatGlobal;  // or 0 (may not) or 1 (may)

    bool RepeatAllowed(bool globalRule) const { return repeat < 0 ? globalRule : repeat != 0; }
};
