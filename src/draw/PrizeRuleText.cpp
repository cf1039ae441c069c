#include "draw/PrizeRuleText.h"

#include "model/PrizeScope.h"

namespace {

QString Values(const QStringList& values) {
    QStringList named = values.mid(0, PrizeRuleText::kValuesNamed);
    QString text = named.join(QStringLiteral("、"));
    if (values.size() > PrizeRuleText::kValuesNamed)
        text += QStringLiteral(" 等 %1 项").arg(values.size());
    return text;
}

}  // namespace

QStringList PrizeRuleText::Phrases(const PrizeScope& scope, bool repeat, bool globalRepeat) {
    QStringList phrases;
    if (scope.Limits())
        phrases << (scope.IsExcept() ? QStringLiteral("本奖项不含：")
                                     : QStringLiteral("本奖项仅限：")) +
                       Values(scope.values);
    if (repeat != globalRepeat)
        phrases << (repeat ? QStringLiteral("已中奖者可参与") : QStringLiteral("已中奖者不参与"));
    return phrases;
}

QString PrizeRuleText::Short(const PrizeScope& scope, int repeatSetting) {
    QStringList parts;
    if (scope.Limits())
        parts << (scope.IsExcept() ? QStringLiteral("不含 ") : QStringLiteral("仅限 ")) +
                     Values(scope.values);
    if (repeatSetting == 1) parts << QStringLiteral("可重复中奖");
    if (repeatSetting == 0) parts << QStringLiteral("不可重复中奖");
    return parts.isEmpty() ? QStringLiteral("所有人") : parts.join(QStringLiteral("；"));
}
