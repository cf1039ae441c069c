#pragma once

#include <QString>
#include <QStringList>

struct PrizeScope;

// How a prize's rule is said to the room, on the prize screen, in the prize list and in the
// verifier's report.
class PrizeRuleText {
  public:
    // Values named before the rest are summed up as "等 N 项".
    static constexpr int kValuesNamed = 8;

    // "本奖项仅限：研发部、市场部" or "本奖项不含：董事会办公室" for a scope that limits anybody,
    // then "已中奖者可参与" or "已中奖者不参与" when the prize treats earlier winners otherwise
    // than the global rule. Empty for a prize without a rule of its own.
    static QStringList Phrases(const PrizeScope& scope, bool repeat, bool globalRepeat);
    // The short form for a list column: "仅限 研发部、市场部；可重复中奖".
    static QString Short(const PrizeScope& scope, int repeatSetting);
};
